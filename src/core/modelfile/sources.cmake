# Sources and public headers of modelfile/ in the core library: the model-file
# element tree over pugixml, with Unicode case folding by utf8proc.
list(APPEND VYR_CORE_SOURCES
  modelfile/ModelFileWriter.cpp
  modelfile/VyrNativeXml.cpp
  modelfile/VyrXmlCopy.cpp
  modelfile/VyrXmlDocument.cpp
)
list(APPEND VYR_CORE_PUBLIC_HEADERS
  modelfile/VyrNativeXml.h
)

# The public header exposes pugixml's node and document types.
find_package(pugixml REQUIRED)
list(APPEND VYR_CORE_LINK_PUBLIC pugixml::pugixml)

if(NOT TARGET PkgConfig::UTF8PROC)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(UTF8PROC REQUIRED IMPORTED_TARGET libutf8proc)
endif()
list(APPEND VYR_CORE_LINK_PRIVATE PkgConfig::UTF8PROC)

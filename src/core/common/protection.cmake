# String protection and statistics helpers: the MARS cipher, SHA-256 and
# Base64 of Crypto++, the Unicode character classes of utf8proc; the
# Windows-1252 conversion uses iconv of the C library.
list(APPEND VYR_CORE_SOURCES
  common/StringProtection.cpp
  common/Mars.cpp
)

find_package(PkgConfig REQUIRED)
pkg_check_modules(CRYPTOPP REQUIRED IMPORTED_TARGET libcrypto++)
pkg_check_modules(UTF8PROC REQUIRED IMPORTED_TARGET libutf8proc)
list(APPEND VYR_CORE_LINK_PRIVATE PkgConfig::CRYPTOPP PkgConfig::UTF8PROC)

# Tests of the string protection and statistics helpers. The MARS block
# cipher is internal to the library, so its unit is compiled into the test
# program as well, with the Crypto++ library it takes its S-box from.
find_package(PkgConfig REQUIRED)
pkg_check_modules(CRYPTOPP REQUIRED IMPORTED_TARGET libcrypto++)
vyr_add_test(test_protection
  common/StringProtectionTest.cpp
  ${PROJECT_SOURCE_DIR}/src/core/common/Mars.cpp)
target_link_libraries(test_protection PRIVATE PkgConfig::CRYPTOPP)

# All dependencies come from Debian 12 packages (see test.sh / run.sh for the list).
find_package(Qt6 6.4 REQUIRED COMPONENTS Core Qml Widgets)

# QScintilla for the rule tester's HTML editors (Debian ships no CMake config).
find_library(QSCINTILLA_LIBRARY NAMES qscintilla2_qt6 REQUIRED)
find_path(QSCINTILLA_INCLUDE_DIR Qsci/qsciscintilla.h
          PATHS /usr/include/${CMAKE_LIBRARY_ARCHITECTURE}/qt6 REQUIRED)
add_library(QScintilla::QScintilla UNKNOWN IMPORTED)
set_target_properties(QScintilla::QScintilla PROPERTIES
  IMPORTED_LOCATION ${QSCINTILLA_LIBRARY}
  INTERFACE_INCLUDE_DIRECTORIES ${QSCINTILLA_INCLUDE_DIR})
target_link_libraries(QScintilla::QScintilla INTERFACE Qt6::Widgets)
find_package(CURL REQUIRED)
find_package(LibXml2 REQUIRED)
find_package(ZLIB REQUIRED)  # gzip-compressed sitemaps
find_package(PkgConfig REQUIRED)
pkg_check_modules(PCRE2 REQUIRED IMPORTED_TARGET libpcre2-16 libpcre2-8)

# Debian's CMake config for modest is broken and it ships no pkg-config file.
find_library(MODEST_LIBRARY modest REQUIRED)
find_path(MYHTML_INCLUDE_DIR myhtml/myhtml.h REQUIRED)
add_library(Modest::MyHTML UNKNOWN IMPORTED)
set_target_properties(Modest::MyHTML PROPERTIES
  IMPORTED_LOCATION ${MODEST_LIBRARY}
  INTERFACE_INCLUDE_DIRECTORIES ${MYHTML_INCLUDE_DIR})
find_package(Threads REQUIRED)
target_link_libraries(Modest::MyHTML INTERFACE Threads::Threads)

find_program(MSGFMT_EXECUTABLE msgfmt REQUIRED)

if(TOLLMARSH_BUILD_TESTS)
  find_package(GTest REQUIRED)
  find_path(HTTPLIB_INCLUDE_DIR httplib.h REQUIRED)
endif()
if(TOLLMARSH_BUILD_TESTS OR TOLLMARSH_BUILD_BENCH)
  find_package(Qt6 REQUIRED COMPONENTS Test)  # QTest drives the window's widgets
endif()
if(TOLLMARSH_BUILD_TESTS OR TOLLMARSH_BUILD_BENCH)
  # The loopback test servers (tests/common). Debian builds cpp-httplib as a
  # shared library: its compile definitions must match the library's, so they
  # come from its pkg-config file.
  pkg_check_modules(CPPHTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
endif()
if(TOLLMARSH_BUILD_BENCH)
  find_package(benchmark REQUIRED)
endif()

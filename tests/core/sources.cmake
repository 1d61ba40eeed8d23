# The core's suite, shared by this build and the Windows one (tests/windows).
set(LUMORA_CORE_TEST_SOURCES
  CodePageTest.cpp
  CoreTestSupport.h
  DataFolderTest.cpp
  DirectoryListingTest.cpp
  LaunchTest.cpp
  MountsTest.cpp
  PathRulesTest.cpp
  RecordFileTest.cpp
  RuntimeErrorTest.cpp
  SettingsRecordsTest.cpp
  SparkleTest.cpp
  WindowsTest.cpp
  WindowsTestSupport.cpp
  WorkerTest.cpp)
list(TRANSFORM LUMORA_CORE_TEST_SOURCES PREPEND ${CMAKE_CURRENT_LIST_DIR}/)

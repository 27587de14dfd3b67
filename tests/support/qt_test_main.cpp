// Runs the GoogleTest suites inside a QApplication. The offscreen platform is
// used unless QT_QPA_PLATFORM says otherwise. HOME and TMPDIR point into a
// folder of the run's own, so no test reads or writes the user's documents,
// settings or temp folders. The print server is one that is not there, so no
// test changes the machine's default printer; tests that print start their own.
#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");

  std::string pattern = (std::filesystem::temp_directory_path() / "inkora-test-XXXXXX").string();
  const char* root = mkdtemp(pattern.data());
  if (!root) return 2;
  const std::filesystem::path base(root);
  std::filesystem::create_directories(base / "home");
  std::filesystem::create_directories(base / "tmp");
  setenv("HOME", (base / "home").c_str(), 1);
  setenv("TMPDIR", (base / "tmp").c_str(), 1);
  unsetenv("XDG_DOCUMENTS_DIR");
  unsetenv("XDG_CONFIG_HOME");
  unsetenv("XDG_RUNTIME_DIR");
  setenv("CUPS_SERVER", (base / "no-print-server.sock").c_str(), 1);
  unsetenv("LPDEST");
  unsetenv("PRINTER");

  int status = 0;
  {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    status = RUN_ALL_TESTS();
  }
  std::error_code ignored;
  std::filesystem::remove_all(base, ignored);
  return status;
}

// A folder of its own for one test, under the system's temporary folder,
// removed with everything in it at the end.
#pragma once

#include "text_files.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

class TTempFolder {
  public:
    // prefix names the folder, so that a left-over one tells whose it was.
    explicit TTempFolder(const std::string& prefix = "tarvek2") {
        static std::atomic<int> serial{0};
#ifdef _WIN32
        const int pid = _getpid();
#else
        const int pid = static_cast<int>(::getpid());
#endif
        const std::filesystem::path base = std::filesystem::temp_directory_path();
        for (;;) {
            FPath = base / (prefix + "-" + std::to_string(pid) + "-" + std::to_string(++serial));
            std::error_code ec;
            if (std::filesystem::create_directory(FPath, ec)) break;
            if (ec) throw std::filesystem::filesystem_error("temporary folder", FPath, ec);
        }
    }
    ~TTempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(FPath, ec);
    }
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    const std::filesystem::path& path() const {
        return FPath;
    }
    std::filesystem::path operator/(const std::string& name) const {
        return FPath / name;
    }

  private:
    std::filesystem::path FPath;
};

// The fixture for tests that write files: dir is theirs alone.
class TempFolderTest : public ::testing::Test {
  protected:
    // Writes content as it is into dir; the file's path.
    std::string write(const std::string& name, const std::string& content) {
        const std::filesystem::path p = dir / name;
        EXPECT_TRUE(writeFile(p, content)) << p;
        return p.string();
    }

    TTempFolder dir{
        "tarvek2-" +
        std::string(::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name())};
};

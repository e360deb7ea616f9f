// A temporary folder of a test's own, removed with everything in it when the test ends, and
// an environment variable set for the length of a test.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>

class KrTempFolder
{
public:
    KrTempFolder()
    {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        const std::string name = std::string("kr-") + test->test_suite_name() + "-" + test->name();
        std::string safe;
        for (char c : name)
            safe += std::isalnum(static_cast<unsigned char>(c)) || c == '-' ? c : '_';
        folder = std::filesystem::temp_directory_path() / (safe + "-" + std::to_string(std::random_device()()));
        std::filesystem::create_directories(folder);
    }
    ~KrTempFolder() { std::filesystem::remove_all(folder); }
    KrTempFolder(const KrTempFolder&) = delete;
    KrTempFolder& operator=(const KrTempFolder&) = delete;

    std::string Path() const { return folder.string(); }
    std::string Path(const std::string& name) const { return (folder / name).string(); }

    // Names of everything in the folder.
    std::set<std::string> Names() const
    {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.insert(entry.path().filename().string());
        return names;
    }

    static void Write(const std::string& path, const std::string& bytes)
    {
        std::ofstream(path, std::ios::binary) << bytes;
    }

    static std::string Read(const std::string& path)
    {
        std::ifstream file(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }

private:
    std::filesystem::path folder;
};

// Sets (or, with null, removes) an environment variable until the end of the scope.
class KrScopedEnvironment
{
public:
    KrScopedEnvironment(const char* name, const char* value) : name(name)
    {
        const char* old = std::getenv(name);
        hadValue = old != nullptr;
        if (hadValue)
            oldValue = old;
        Put(value);
    }
    ~KrScopedEnvironment() { Put(hadValue ? oldValue.c_str() : nullptr); }
    KrScopedEnvironment(const KrScopedEnvironment&) = delete;
    KrScopedEnvironment& operator=(const KrScopedEnvironment&) = delete;

private:
    void Put(const char* value)
    {
        if (value != nullptr)
            setenv(name.c_str(), value, 1);
        else
            unsetenv(name.c_str());
    }

    std::string name;
    bool hadValue = false;
    std::string oldValue;
};

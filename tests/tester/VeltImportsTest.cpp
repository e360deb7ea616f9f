// The deliverables import nothing from VeltDLL beyond the functions of its header, so any library
// exporting those functions can stand in for it.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "TesterProcess.h"

namespace {

// The names of the functions the header declares: "VELTDLL_API <type> <name>(".
std::set<std::string> HeaderFunctions()
{
    const std::string marker = "VELTDLL_API ";
    std::ifstream header(VELTDLL_HEADER);
    std::set<std::string> names;
    for (std::string line; std::getline(header, line);) {
        const std::size_t parenthesis = line.find('(');
        if (line.compare(0, marker.size(), marker) != 0 || parenthesis == std::string::npos)
            continue;
        std::size_t begin = parenthesis;
        while (begin > 0 && (std::isalnum(static_cast<unsigned char>(line[begin - 1])) || line[begin - 1] == '_'))
            --begin;
        names.insert(line.substr(begin, parenthesis - begin));
    }
    return names;
}

// The dynamic symbols nm lists with `options`, without their version suffix.
std::set<std::string> DynamicSymbols(const std::string& file, const std::string& options)
{
    TempFolder folder;
    const int status = RunCommand(folder, "nm -D " + options + " " + ShellQuoted(file), "symbols.txt");
    EXPECT_EQ(status, 0) << "nm failed on " << file;
    std::istringstream listing(folder.Read("symbols.txt"));
    std::set<std::string> names;
    for (std::string line; std::getline(listing, line);) {
        const std::string name = line.substr(line.find_last_of(' ') + 1);
        names.insert(name.substr(0, name.find('@')));
    }
    return names;
}

// The deliverables, one path each, separated by '|'.
std::vector<std::string> Deliverables()
{
    std::vector<std::string> paths;
    std::istringstream list(VELT_DELIVERABLES);
    for (std::string path; std::getline(list, path, '|');)
        paths.push_back(path);
    return paths;
}

class VeltImports : public ::testing::TestWithParam<std::string> {};

TEST_P(VeltImports, AreAllDeclaredInTheHeader)
{
    const std::set<std::string> declared = HeaderFunctions();
    ASSERT_TRUE(declared.count("CheckCompatibleSystem") && declared.count("Set_RGB_LUT")) << "header not parsed";
    const std::set<std::string> offered = DynamicSymbols(VELTDLL_LIBRARY, "--defined-only");
    ASSERT_TRUE(offered.count("VeltEmu_Reset")) << "library not listed";

    std::set<std::string> imported;
    for (const std::string& name : DynamicSymbols(GetParam(), "--undefined-only"))
        if (offered.count(name))
            imported.insert(name);
    EXPECT_TRUE(imported.count("CheckCompatibleSystem")) << "the deliverable does not use VeltDLL";
    for (const std::string& name : imported)
        EXPECT_TRUE(declared.count(name)) << name << " is not a function of VeltDLL.h";
}

INSTANTIATE_TEST_SUITE_P(Deliverables, VeltImports, ::testing::ValuesIn(Deliverables()),
                         [](const auto& info) {
                             std::string name = info.param.substr(info.param.find_last_of('/') + 1);
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

#ifdef VELTDLL_DDC_LIBRARY
// The DDC/CI library stands in for the emulator only if it offers every function of the header.
TEST(VeltStandIns, DdcLibraryOffersEveryHeaderFunction)
{
    const std::set<std::string> offered = DynamicSymbols(VELTDLL_DDC_LIBRARY, "--defined-only");
    const std::set<std::string> declared = HeaderFunctions();
    ASSERT_FALSE(declared.empty()) << "header not parsed";
    for (const std::string& name : declared)
        EXPECT_TRUE(offered.count(name)) << name << " is missing from " << VELTDLL_DDC_LIBRARY;
    for (const std::string& name : offered)
        EXPECT_NE(name.rfind("_Z", 0), 0u) << "exports C++ symbol " << name;
}

bool HasI2cDevices()
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev", error))
        if (entry.path().filename().string().rfind("i2c-", 0) == 0)
            return true;
    return false;
}

// VeltTester on the DDC/CI library, as a user with no reachable monitor meets it.
TEST(VeltStandIns, VeltTesterOnDdcWithoutI2cDevicesShowsItsFailureAndTheFix)
{
    if (HasI2cDevices())
        GTEST_SKIP() << "this machine has /dev/i2c-* devices; the answer depends on its monitors";
    TempFolder folder;
    TesterLaunch launch;
    launch.input = "0\n";
    launch.environment = {{"LD_LIBRARY_PATH", std::filesystem::path(VELTDLL_DDC_LIBRARY).parent_path().string()}};
    const TesterRun run = RunTester(folder, launch);

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, "Checking System Compatibility!\nSystem is not compatible............\nError returned = 0 \n");
    EXPECT_NE(run.errors.find("VeltDLL: no monitor answers DDC/CI: there are no /dev/i2c-* devices; load the i2c-dev "
                              "module (sudo modprobe i2c-dev"),
              std::string::npos)
        << run.errors;
}
#endif

}  // namespace

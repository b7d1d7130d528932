// What the program's start reads of its command line: the scheduling switches, the stored drive
// letters and the hidden start, from the command lines the scheduler and other programs use.
#include <StartupCommandLine.h>

#include <gtest/gtest.h>

namespace {
constexpr wchar_t kProgram[] = L"\"C:\\Program Files\\Xarn\\Xarn.exe\"";

StartupSwitches Read(const wchar_t* arguments) {
    CString line = kProgram;
    if (*arguments) {
        line += L' ';
        line += arguments;
    }
    return ReadStartupSwitches(line);
}
} // namespace

TEST(StartupCommandLine, ScheduledTasksStoreTheirDriveLetters) {
    const struct {
        const wchar_t* arguments;
        const wchar_t* letters;
    } cases[] = {
        {L"-autofix -C", L"C"},  {L"/SCHEDULE /c/d", L"CD"}, {L"-shutdown -D", L"D"},
        {L"-schedule -D", L"D"}, {L" -autofix -e", L"E"},    {L"-schedule \\f\\", L"F"},
        {L"-schedule", L""},     {L"-schedule \"\"", L""},
    };
    for (const auto& c : cases) {
        const StartupSwitches switches = Read(c.arguments);
        EXPECT_TRUE(switches.scheduling) << CString(c.arguments).GetString();
        EXPECT_STREQ(switches.scheduleLetters, c.letters) << CString(c.arguments).GetString();
        EXPECT_TRUE(switches.hasArguments);
        EXPECT_FALSE(switches.hiddenScan);
    }
}

TEST(StartupCommandLine, OtherStartsStoreNothing) {
    for (const wchar_t* arguments : {L"", L"-log", L"C", L"runhiddenScan D", L"-schedul -C"}) {
        const StartupSwitches switches = Read(arguments);
        EXPECT_FALSE(switches.scheduling) << CString(arguments).GetString();
        EXPECT_TRUE(switches.scheduleLetters.IsEmpty());
    }
    EXPECT_FALSE(Read(L"").hasArguments);
    EXPECT_TRUE(Read(L"-log").hasArguments);
    // The switch is found anywhere after a separator, as the library finds it.
    EXPECT_TRUE(Read(L"-log -shutdown -D").scheduling);
}

TEST(StartupCommandLine, HiddenScanIsTheSecondElementInAnyCase) {
    EXPECT_TRUE(Read(L"runhiddenScan").hiddenScan);
    EXPECT_TRUE(Read(L"-RUNHIDDENSCAN").hiddenScan);
    EXPECT_TRUE(Read(L"/runhidden-Scan").hiddenScan);
    EXPECT_FALSE(Read(L"-log runhiddenScan").hiddenScan);
    EXPECT_FALSE(Read(L"runhiddenScanNow").hiddenScan);
    EXPECT_FALSE(Read(L"").hiddenScan);
}

TEST(StartupCommandLine, ElementsFollowTheSystemsQuoting) {
    EXPECT_STREQ(CommandLineElement(L"\"a b.exe\" -x \"y z\"", 2), L"y z");
    EXPECT_STREQ(CommandLineElement(L"a.exe", 1), L"");
    EXPECT_STREQ(CommandLineElement(L"", 0), L"");
    EXPECT_STREQ(NormalizeCommandLine(L"  X.EXE /Schedule-C  "), L"x.exe  schedule c");
}

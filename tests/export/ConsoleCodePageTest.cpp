// pavlune-export writes UTF-8 to the console it shares with the shell that
// started it; when it ends, the console reads that shell's code page again.
#include <windows.h>

#include <gtest/gtest.h>
#include <string>

namespace {

// pavlune-export.exe beside this test program.
std::wstring toolPath() {
    wchar_t module[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring path(module, length);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + L"pavlune-export.exe";
}

// Runs the tool in this process's console and waits for it.
DWORD runInThisConsole(const std::wstring& arguments) {
    std::wstring line = L"\"" + toolPath() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return GetLastError() | 0x80000000U;
    }
    WaitForSingleObject(process.hProcess, 60000);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

TEST(ConsoleCodePageTest, TheShellsCodePageIsBackWhenTheToolEnds) {
    if (GetConsoleOutputCP() == 0 && !AllocConsole()) {
        GTEST_SKIP() << "no console can be made here";
    }
    for (const UINT shells : {437U, 932U}) {
        if (!SetConsoleOutputCP(shells)) {
            continue; // a code page this system lacks
        }
        for (const wchar_t* arguments : {L"--help", L"--no-such-option"}) {
            runInThisConsole(arguments);
            EXPECT_EQ(GetConsoleOutputCP(), shells)
                << "after pavlune-export " << std::string(arguments, arguments + wcslen(arguments));
        }
    }
}

} // namespace

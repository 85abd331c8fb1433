// The key wait on Windows, in a console of its own that the test shares and
// types into: the viewer, without its shaders, fails once its window is open.
#include "support/files.h"
#include "support/wait.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

using namespace orvane::test;

// Generous: a slow machine under load still gets there long before.
constexpr double deadlineSeconds = 60;

INPUT_RECORD keyRecord(bool down, WORD key, wchar_t text, DWORD modifiers) {
    INPUT_RECORD record{};
    record.EventType = KEY_EVENT;
    record.Event.KeyEvent.bKeyDown = down;
    record.Event.KeyEvent.wRepeatCount = 1;
    record.Event.KeyEvent.wVirtualKeyCode = key;
    record.Event.KeyEvent.uChar.UnicodeChar = text;
    record.Event.KeyEvent.dwControlKeyState = modifiers;
    return record;
}

std::wstring screenText(HANDLE screen) {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    GetConsoleScreenBufferInfo(screen, &info);
    std::wstring text(static_cast<std::size_t>(info.dwSize.X) * info.dwSize.Y, L' ');
    DWORD read = 0;
    ReadConsoleOutputCharacterW(screen, text.data(), static_cast<DWORD>(text.size()), {0, 0},
                                &read);
    return text;
}

HANDLE openConsole(const wchar_t* name) {
    return CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, 0, nullptr);
}

TEST(ConsoleKeyWait, AnyKeyEndsItWithStatusMinusOneAndLeavesNothingQueued) {
    const struct {
        const char* name;
        WORD key;
        wchar_t text;
        DWORD modifiers;
    } keys[] = {
        // With processed input on, Ctrl-C would end the process another way.
        {"Ctrl-C", 'C', 3, LEFT_CTRL_PRESSED},
        // Two codes for a C runtime's _getch, one record here.
        {"arrow", VK_UP, 0, ENHANCED_KEY},
    };
    for (const auto& key : keys) {
        SCOPED_TRACE(key.name);
        const TempDir folder;
        FreeConsole();
        std::wstring command = L"\"" + fs::path(ORVANE_VIEWER_PATH).wstring() + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION viewer{};
        ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE,
                                   CREATE_NEW_CONSOLE, nullptr, folder.path().wstring().c_str(),
                                   &startup, &viewer));
        ASSERT_TRUE(
            waitUntil([&] { return AttachConsole(viewer.dwProcessId) != 0; }, deadlineSeconds));
        const HANDLE input = openConsole(L"CONIN$");
        const HANDLE screen = openConsole(L"CONOUT$");
        const auto ended = [&] { return WaitForSingleObject(viewer.hProcess, 0) == WAIT_OBJECT_0; };
        EXPECT_TRUE(waitUntil(
            [&] {
                return screenText(screen).find(L"Press any key to continue . . .") !=
                       std::wstring::npos;
            },
            deadlineSeconds))
            << "no prompt";
        // The key goes in once the wait has the console to itself.
        DWORD mode = 0;
        waitUntil(
            [&] {
                return ended() ||
                       (GetConsoleMode(input, &mode) != 0 && (mode & ENABLE_PROCESSED_INPUT) == 0);
            },
            deadlineSeconds);
        EXPECT_FALSE(ended()) << "it did not wait";
        // Then a second key, which the flush must take away.
        const INPUT_RECORD typed[] = {
            keyRecord(true, key.key, key.text, key.modifiers),
            keyRecord(false, key.key, key.text, key.modifiers),
            keyRecord(true, 'X', L'x', 0),
            keyRecord(false, 'X', L'x', 0),
        };
        DWORD written = 0;
        ASSERT_TRUE(WriteConsoleInputW(input, typed, 4, &written));
        EXPECT_EQ(WaitForSingleObject(viewer.hProcess, 60000), WAIT_OBJECT_0);
        DWORD status = 0;
        GetExitCodeProcess(viewer.hProcess, &status);
        EXPECT_EQ(status, static_cast<DWORD>(-1));
        DWORD queued = 1;
        GetNumberOfConsoleInputEvents(input, &queued);
        EXPECT_EQ(queued, 0u);
        EXPECT_TRUE(GetConsoleMode(input, &mode) && (mode & ENABLE_PROCESSED_INPUT) != 0)
            << "console mode not restored";
        TerminateProcess(viewer.hProcess, 1); // in case the key did not end it
        CloseHandle(viewer.hProcess);
        CloseHandle(viewer.hThread);
        CloseHandle(input);
        CloseHandle(screen);
        FreeConsole();
        // The folder stays busy until the console's host, a little later, leaves.
        EXPECT_TRUE(waitUntil(
            [&] {
                std::error_code busy;
                fs::remove_all(folder.path(), busy);
                return !busy;
            },
            deadlineSeconds));
    }
}

} // namespace

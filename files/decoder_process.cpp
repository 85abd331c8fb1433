// Starting, limiting, feeding, reading and ending the decoder: on Linux a
// spawned process on a socket pair under an address-space limit, on Windows
// a process in a job object on a named pipe. (In a browser, decoder_in_page.cpp.)
#include "files/decoder_process.h"

#include <algorithm>
#include <cstring>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <malloc.h>
#include <poll.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace orvane::files {
namespace {

// How often the window is answered while the viewer waits: often enough that
// an Escape ends a long load at once.
constexpr auto answerEvery = std::chrono::milliseconds(50);

} // namespace

#ifdef _WIN32

namespace {

std::wstring wide(const std::string& text) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring result(static_cast<std::size_t>(std::max(length, 1)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, result.data(), length);
    result.resize(result.size() - 1);
    return result;
}

HANDLE inheritableCopy(HANDLE handle) {
    HANDLE copy = nullptr;
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE ||
        !DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, TRUE,
                         DUPLICATE_SAME_ACCESS)) {
        return nullptr;
    }
    return copy;
}

// Its memory limited, and ended with the job, so that no decoder outlives
// the viewer however the viewer ends.
HANDLE limitingJob(std::uint64_t memoryBytes) {
    const HANDLE job = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_PROCESS_MEMORY |
                                              JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE |
                                              JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
    limits.ProcessMemoryLimit = static_cast<SIZE_T>(memoryBytes);
    if (job != nullptr &&
        !SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        CloseHandle(job);
        return nullptr;
    }
    return job;
}

constexpr DWORD pipeBytes = 1 << 20;

} // namespace

// The viewer's end is overlapped, so that a wait for the decoder can also
// watch the clock and answer the window; the decoder's end is plain.
struct DecoderProcess::Channel {
    HANDLE job = nullptr;
    HANDLE process = nullptr;
    HANDLE pipe = INVALID_HANDLE_VALUE;
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
};

std::string decoderBesideThisProgram() {
    wchar_t path[32768];
    const DWORD length = GetModuleFileNameW(nullptr, path, 32768);
    std::wstring folder(path, length);
    folder.resize(folder.find_last_of(L"\\/") + 1);
    const std::wstring decoder = folder + L"orvane-decoder.exe";
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, decoder.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(std::max(bytes, 1)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, decoder.c_str(), -1, result.data(), bytes, nullptr, nullptr);
    result.resize(result.size() - 1);
    return result;
}

DecoderProcess::DecoderProcess(const std::string& executable, std::uint64_t memoryBytes)
    : channel(std::make_unique<Channel>()) {
    static unsigned serial = 0;
    const std::wstring name = L"\\\\.\\pipe\\orvane-decoder-" +
                              std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(serial++);
    channel->pipe = CreateNamedPipeW(
        name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, pipeBytes,
        pipeBytes, 0, nullptr);
    channel->job = limitingJob(memoryBytes);
    if (channel->pipe == INVALID_HANDLE_VALUE || channel->job == nullptr ||
        channel->done == nullptr) {
        return;
    }
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    // Standard input and output are two handles on the decoder's end, so that
    // it can set its standard output aside without closing its input.
    const HANDLE input = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, &inherited,
                                     OPEN_EXISTING, 0, nullptr);
    const HANDLE output = inheritableCopy(input);
    const HANDLE errors = inheritableCopy(GetStdHandle(STD_ERROR_HANDLE));
    // These three and no other: an inherited handle on a file of the
    // viewer's would keep that file open, and in use, while the decoder lives.
    std::vector<HANDLE> inheritedHandles{input, output};
    if (errors != nullptr) {
        inheritedHandles.push_back(errors);
    }
    SIZE_T listBytes = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &listBytes);
    std::vector<unsigned char> list(listBytes);
    const auto attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(list.data());
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = input;
    startup.StartupInfo.hStdOutput = output;
    startup.StartupInfo.hStdError = errors;
    if (InitializeProcThreadAttributeList(attributes, 1, 0, &listBytes) &&
        UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST,
                                  inheritedHandles.data(), inheritedHandles.size() * sizeof(HANDLE),
                                  nullptr, nullptr)) {
        startup.lpAttributeList = attributes;
    }
    std::wstring program = wide(executable);
    std::wstring commandLine = L"\"" + program + L"\"";
    // It is sent whole paths, and works in its own folder, so that it holds
    // none of the viewer's: Windows keeps a working folder from being removed.
    const std::wstring folder = program.substr(0, program.find_last_of(L"\\/") + 1);
    PROCESS_INFORMATION started{};
    // Suspended until it is in the job: not one instruction runs unlimited.
    if (startup.lpAttributeList != nullptr && input != INVALID_HANDLE_VALUE && output != nullptr &&
        CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                       CREATE_SUSPENDED | EXTENDED_STARTUPINFO_PRESENT, nullptr,
                       folder.empty() ? nullptr : folder.c_str(), &startup.StartupInfo, &started)) {
        if (AssignProcessToJobObject(channel->job, started.hProcess) &&
            ResumeThread(started.hThread) != static_cast<DWORD>(-1)) {
            channel->process = started.hProcess;
        } else {
            TerminateProcess(started.hProcess, 1);
            WaitForSingleObject(started.hProcess, INFINITE);
            CloseHandle(started.hProcess);
        }
        CloseHandle(started.hThread);
    }
    if (startup.lpAttributeList != nullptr) {
        DeleteProcThreadAttributeList(attributes);
    }
    for (const HANDLE handle : {input, output, errors}) {
        if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
        }
    }
}

DecoderProcess::~DecoderProcess() {
    if (channel->process != nullptr) {
        TerminateProcess(channel->process, 1);
        WaitForSingleObject(channel->process, INFINITE);
        CloseHandle(channel->process);
    }
    for (const HANDLE handle : {channel->job, channel->pipe, channel->done}) {
        if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
        }
    }
}

bool DecoderProcess::running() const {
    return channel->process != nullptr;
}

namespace {

// One overlapped transfer, waited for until the deadline while the window is
// answered; cancelled when the wait ends first. The bytes moved, or 0.
template <typename Start>
DWORD transfer(HANDLE pipe, HANDLE done, Clock::time_point deadline,
               const std::function<bool()>& answer, bool& stopped, Start start) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = done;
    ResetEvent(done);
    DWORD moved = 0;
    if (!start(&overlapped) && GetLastError() != ERROR_IO_PENDING) {
        return 0;
    }
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::min(deadline - Clock::now(), Clock::duration(answerEvery)));
        if (WaitForSingleObject(done, static_cast<DWORD>(std::max<long long>(left.count(), 0))) ==
            WAIT_OBJECT_0) {
            return GetOverlappedResult(pipe, &overlapped, &moved, FALSE) ? moved : 0;
        }
        stopped = answer && !answer();
        if (stopped || Clock::now() >= deadline) {
            CancelIoEx(pipe, &overlapped);
            return GetOverlappedResult(pipe, &overlapped, &moved, TRUE) ? moved : 0;
        }
    }
}

} // namespace

bool DecoderProcess::send(const std::vector<unsigned char>& request) {
    std::size_t sent = 0;
    while (running() && sent < request.size()) {
        const DWORD moved = transfer(
            channel->pipe, channel->done, deadline, answer, stopped, [&](OVERLAPPED* overlapped) {
                return WriteFile(channel->pipe, request.data() + sent,
                                 static_cast<DWORD>(request.size() - sent), nullptr, overlapped);
            });
        if (moved == 0) {
            return false;
        }
        sent += moved;
    }
    return sent == request.size();
}

std::size_t DecoderProcess::readSome(void* into, std::size_t most) {
    if (!running() || stopped) {
        return 0;
    }
    return transfer(channel->pipe, channel->done, deadline, answer, stopped,
                    [&](OVERLAPPED* overlapped) {
                        return ReadFile(channel->pipe, into,
                                        static_cast<DWORD>(std::min<std::size_t>(most, 1 << 30)),
                                        nullptr, overlapped);
                    });
}

struct DecoderEnd::Channel {
    HANDLE requests = GetStdHandle(STD_INPUT_HANDLE);
    HANDLE replies = nullptr;
};

DecoderEnd::DecoderEnd() : channel(std::make_unique<Channel>()) {
    DuplicateHandle(GetCurrentProcess(), GetStdHandle(STD_OUTPUT_HANDLE), GetCurrentProcess(),
                    &channel->replies, 0, FALSE, DUPLICATE_SAME_ACCESS);
    SetStdHandle(STD_OUTPUT_HANDLE, GetStdHandle(STD_ERROR_HANDLE));
    _dup2(_fileno(stderr), _fileno(stdout));
}

DecoderEnd::~DecoderEnd() {
    CloseHandle(channel->replies);
}

std::size_t DecoderEnd::readSome(void* into, std::size_t most) {
    DWORD got = 0;
    const DWORD asked = static_cast<DWORD>(std::min<std::size_t>(most, 1 << 30));
    return ReadFile(channel->requests, into, asked, &got, nullptr) ? got : 0;
}

bool DecoderEnd::writeAll(const void* from, std::size_t bytes) {
    const auto* next = static_cast<const unsigned char*>(from);
    while (bytes > 0) {
        DWORD written = 0;
        const DWORD asked = static_cast<DWORD>(std::min<std::size_t>(bytes, 1 << 30));
        if (!WriteFile(channel->replies, next, asked, &written, nullptr) || written == 0) {
            return false;
        }
        next += written;
        bytes -= written;
    }
    return true;
}

#else

namespace {

// The decoder built with AddressSanitizer reserves terabytes of address space
// for itself, so that no address-space limit can be put on it: its allocator
// is told the limit instead, through its options.
#ifdef __SANITIZE_ADDRESS__
constexpr bool sanitized = true;
#else
constexpr bool sanitized = false;
#endif

std::vector<std::string> environmentFor(std::uint64_t bytes) {
    std::vector<std::string> variables;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        if (!sanitized || std::strncmp(*variable, "ASAN_OPTIONS=", 13) != 0) {
            variables.emplace_back(*variable);
        }
    }
    if (sanitized) {
        const std::string megabytes = std::to_string(bytes >> 20);
        const char* given = std::getenv("ASAN_OPTIONS");
        variables.push_back(std::string("ASAN_OPTIONS=") + (given != nullptr ? given : "") +
                            ":allocator_may_return_null=1:max_allocation_size_mb=" + megabytes +
                            ":hard_rss_limit_mb=" + megabytes);
    }
    return variables;
}

bool limitAddressSpace(pid_t process, std::uint64_t bytes) {
    const rlimit limit{bytes, bytes};
    return sanitized || prlimit(process, RLIMIT_AS, &limit, nullptr) == 0;
}

std::vector<char*> pointersTo(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

struct DecoderProcess::Channel {
    pid_t process = -1;
    int socket = -1;
    Clock::time_point lastAnswer = Clock::now();
};

std::string decoderBesideThisProgram() {
    std::error_code unknown;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", unknown);
    return (self.parent_path() / "orvane-decoder").string();
}

// One socket both ways: a write to a decoder that has died then fails
// instead of raising SIGPIPE in the viewer.
DecoderProcess::DecoderProcess(const std::string& executable, std::uint64_t memoryBytes)
    : channel(std::make_unique<Channel>()) {
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
    std::vector<std::string> arguments{executable};
    std::vector<std::string> environment = environmentFor(memoryBytes);
    pid_t process = -1;
    if (posix_spawn(&process, executable.c_str(), &actions, nullptr, pointersTo(arguments).data(),
                    pointersTo(environment).data()) == 0) {
        // Limited before it is sent a request: no byte of a file is decoded
        // without the limit.
        if (limitAddressSpace(process, memoryBytes)) {
            channel->process = process;
        } else {
            kill(process, SIGKILL);
            waitpid(process, nullptr, 0);
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    close(ends[1]);
    channel->socket = ends[0];
    fcntl(channel->socket, F_SETFL, O_NONBLOCK);
}

DecoderProcess::~DecoderProcess() {
    if (channel->process > 0) {
        kill(channel->process, SIGKILL);
        while (waitpid(channel->process, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    if (channel->socket >= 0) {
        close(channel->socket);
    }
}

bool DecoderProcess::running() const {
    return channel->process > 0;
}

namespace {

// Waits until the socket is ready for events, answering the window meanwhile;
// false when the deadline passes or the answer is to stop.
bool ready(int socket, short events, Clock::time_point deadline, Clock::time_point& lastAnswer,
           const std::function<bool()>& answer, bool& stopped) {
    for (;;) {
        const auto now = Clock::now();
        if (now - lastAnswer >= answerEvery) {
            stopped = answer && !answer();
            lastAnswer = now;
        }
        if (stopped || now >= deadline) {
            return false;
        }
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(
            std::min(deadline, lastAnswer + answerEvery) - now);
        pollfd watched{socket, events, 0};
        if (poll(&watched, 1, static_cast<int>(wait.count())) > 0) {
            return true;
        }
    }
}

} // namespace

bool DecoderProcess::send(const std::vector<unsigned char>& request) {
    std::size_t sent = 0;
    while (running() && sent < request.size()) {
        const ssize_t moved =
            ::send(channel->socket, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (moved > 0) {
            sent += static_cast<std::size_t>(moved);
        } else if ((errno != EAGAIN && errno != EINTR) ||
                   !ready(channel->socket, POLLOUT, deadline, channel->lastAnswer, answer,
                          stopped)) {
            return false;
        }
    }
    return sent == request.size();
}

std::size_t DecoderProcess::readSome(void* into, std::size_t most) {
    while (running() && !stopped) {
        const ssize_t got = read(channel->socket, into, most);
        if (got >= 0) {
            return static_cast<std::size_t>(got);
        }
        if ((errno != EAGAIN && errno != EINTR) ||
            !ready(channel->socket, POLLIN, deadline, channel->lastAnswer, answer, stopped)) {
            return 0;
        }
    }
    return 0;
}

struct DecoderEnd::Channel {
    int requests = STDIN_FILENO;
    int replies = -1;
};

DecoderEnd::DecoderEnd() : channel(std::make_unique<Channel>()) {
    // Nothing is left decoding once the viewer is gone, however it went.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    // Assimp allocates and frees large blocks one after another. Kept in the
    // heap once freed, instead of given back to the system and mapped anew
    // (and cleared by the kernel page by page), each costs nothing again: a
    // model decodes a tenth faster, as in a process whose heap has grown.
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    channel->replies = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    dup2(STDERR_FILENO, STDOUT_FILENO);
}

DecoderEnd::~DecoderEnd() {
    close(channel->replies);
}

std::size_t DecoderEnd::readSome(void* into, std::size_t most) {
    ssize_t got = 0;
    do {
        got = read(channel->requests, into, most);
    } while (got < 0 && errno == EINTR);
    return got > 0 ? static_cast<std::size_t>(got) : 0;
}

bool DecoderEnd::writeAll(const void* from, std::size_t bytes) {
    const auto* next = static_cast<const unsigned char*>(from);
    while (bytes > 0) {
        const ssize_t written = write(channel->replies, next, bytes);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        next += written;
        bytes -= static_cast<std::size_t>(written);
    }
    return true;
}

#endif

} // namespace orvane::files

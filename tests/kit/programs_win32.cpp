// Running a program on Windows.
#include <windows.h>

#include <stdexcept>

#include "tests/kit/files.h"
#include "tests/kit/programs.h"
#include "text/names.h"

namespace {

std::wstring Wide(const std::string& utf8) {
    const int n =
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    return wide;
}

// One argument quoted as CommandLineToArgvW reads it back.
std::wstring Quoted(const std::wstring& argument) {
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

// The current environment with `env` replacing the variables of its names.
std::wstring EnvironmentBlock(const std::vector<std::string>& env) {
    std::wstring block;
    for (const std::string& v : env)
        block += Wide(v) + L'\0';
    wchar_t* current = ::GetEnvironmentStringsW();
    for (const wchar_t* e = current; *e != L'\0'; e += std::wcslen(e) + 1) {
        const std::wstring entry = e;
        const std::wstring name = entry.substr(0, entry.find(L'=', 1));
        bool replaced = false;
        for (const std::string& v : env)
            replaced = replaced || EqualIgnoringAsciiCase(v.substr(0, v.find('=')),
                                                          std::string(name.begin(), name.end()));
        if (!replaced) block += entry + L'\0';
    }
    ::FreeEnvironmentStringsW(current);
    return block + L'\0';
}

HANDLE Capture(const std::string& path) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE file = ::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create " + path);
    return file;
}

}  // namespace

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& cwd, const std::vector<std::string>& env) {
    ScratchDir capture;
    HANDLE out = Capture(capture / "out"), err = Capture(capture / "err");
    std::wstring commandLine = Quoted(Wide(program));
    for (const std::string& a : args)
        commandLine += L" " + Quoted(Wide(a));
    std::wstring environment = EnvironmentBlock(env);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = INVALID_HANDLE_VALUE;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    const BOOL started =
        ::CreateProcessW(Wide(program).c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                         CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW, environment.data(),
                         Wide(cwd).c_str(), &startup, &process);
    ::CloseHandle(out);
    ::CloseHandle(err);
    if (!started) throw std::runtime_error("cannot start " + program);
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 0;
    ::GetExitCodeProcess(process.hProcess, &status);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    ProgramRun run;
    run.status = static_cast<int>(status);
    run.out = ReadBytes(capture / "out");
    run.err = ReadBytes(capture / "err");
    return run;
}

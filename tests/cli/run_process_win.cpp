#include <windows.h>

#include "run_process.h"
#include "test_files.h"

static std::wstring wide(const std::string& utf8) {
    int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring text(length, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), &text[0], length);
    return text;
}

static HANDLE createOutput(const std::string& path) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    return CreateFileW(wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& folder) {
    std::string outPath = folder + "\\stdout.txt", errPath = folder + "\\stderr.txt";
    // Every argument quoted; the tests pass none with quotes or trailing backslashes.
    std::wstring commandLine = L"\"" + wide(program) + L"\"";
    for (const std::string& a : arguments) commandLine += L" \"" + wide(a) + L"\"";
    HANDLE out = createOutput(outPath), err = createOutput(errPath);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process = {};
    ProcessResult result = {-1, "", ""};
    if (CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, wide(folder).c_str(), &startup,
                       &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        result.status = int(code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(out);
    CloseHandle(err);
    std::vector<uint8_t> o = readFileBytes(outPath), e = readFileBytes(errPath);
    result.out.assign(o.begin(), o.end());
    result.err.assign(e.begin(), e.end());
    return result;
}

void setEnvironment(const std::string& name, const std::string& value) {
    SetEnvironmentVariableW(wide(name).c_str(), value.empty() ? nullptr : wide(value).c_str());
}

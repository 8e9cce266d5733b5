#include <windows.h>

#include <cstdlib>

#include "run_process.h"
#include "test_files.h"

static std::wstring wide(const std::string& utf8) {
    int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring text(length, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), &text[0], length);
    return text;
}

// Through cmd.exe, every part in quotes: the tests pass none with quotes, carets or percent signs.
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& folder) {
    std::string outPath = folder + "\\stdout.txt", errPath = folder + "\\stderr.txt";
    std::string command = "cd /d \"" + folder + "\" && \"" + program + "\"";
    for (const std::string& a : arguments) command += " \"" + a + "\"";
    command += " >\"" + outPath + "\" 2>\"" + errPath + "\"";
    // -1: cmd.exe itself did not start, so nothing ran. Under Wine that
    // happens now and then (seen once in some ten runs); it is tried again.
    int status = _wsystem(wide(command).c_str());
    if (status == -1) status = _wsystem(wide(command).c_str());
    ProcessResult result = {status, "", ""};
    std::vector<uint8_t> out = readFileBytes(outPath), err = readFileBytes(errPath);
    result.out.assign(out.begin(), out.end());
    result.err.assign(err.begin(), err.end());
    return result;
}

void setEnvironment(const std::string& name, const std::string& value) {
    _wputenv((wide(name) + L"=" + wide(value)).c_str());  // an empty value removes the variable
}

#include <sys/wait.h>

#include <cstdlib>

#include "run_process.h"
#include "test_files.h"

static std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& folder) {
    std::string outPath = folder + "/stdout.txt", errPath = folder + "/stderr.txt";
    std::string command = "cd " + quoted(folder) + " && " + quoted(program);
    for (const std::string& a : arguments) command += " " + quoted(a);
    int status = std::system((command + " >" + quoted(outPath) + " 2>" + quoted(errPath)).c_str());
    ProcessResult result = {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), "", ""};
    std::vector<uint8_t> out = readFileBytes(outPath), err = readFileBytes(errPath);
    result.out.assign(out.begin(), out.end());
    result.err.assign(err.begin(), err.end());
    return result;
}

void setEnvironment(const std::string& name, const std::string& value) {
    if (value.empty())
        unsetenv(name.c_str());
    else
        setenv(name.c_str(), value.c_str(), 1);
}

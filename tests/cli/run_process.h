#pragma once
#include <string>
#include <vector>

// Runs a program to its end with its output captured.
struct ProcessResult {
    int status;
    std::string out;  // standard output
    std::string err;  // standard error
};

// `program` and `arguments` are UTF-8; the program runs in `folder`, where its
// captured output is kept too.
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& folder);

// Sets (or, with an empty value, removes) a variable for the programs started afterwards.
void setEnvironment(const std::string& name, const std::string& value);

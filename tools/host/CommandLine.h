#pragma once
// The program's arguments after its name, in UTF-8 (Windows hands them over in UTF-16).

#include <string>
#include <vector>

namespace krb::host
{

std::vector<std::string> CommandLineUtf8(int argc, char** argv);

} // namespace krb::host

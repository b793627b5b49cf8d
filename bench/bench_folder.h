// A fresh temporary folder for one benchmark run.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

// Its path, or empty when none could be made.
inline std::string MakeBenchFolder()
{
    std::string tmpl = (std::filesystem::temp_directory_path() / "mz-bench-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) return std::string();
    return tmpl;
}

#pragma once

#include <filesystem>

namespace pavlune::test {

// The source tree the test binary was built from (fixtures, res/, golden
// files) and its build tree (the tools a test runs). They are compiled into
// one generated file, not passed to every test source, so that a second
// clone of the project reuses the compiler cache for all the others.
std::filesystem::path sourceRoot();
std::filesystem::path binaryDir();

} // namespace pavlune::test

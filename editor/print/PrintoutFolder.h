#pragma once

#include <string>

// The folder a printout is written to, ending with '/': the user's documents
// folder where the desktop names one that exists, else the home folder.
// Empty where there is none (builds that cannot print).
std::string printoutFolder();

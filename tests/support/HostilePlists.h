#pragma once

// Property lists made to get past a reader's checks: deep ones whose depth is
// hidden behind markup that a scanner can lose its place in, and a binary one
// that unfolds from a few kilobytes into tens of megabytes.
#include "tests/support/BinaryPlist.h"

#include <string>
#include <vector>

// 100,000 nested arrays behind `head`.
inline std::string deepBehind(const std::string& head) {
    std::string xml = head;
    for (int i = 0; i < 100000; ++i) {
        xml += "<array>";
    }
    for (int i = 0; i < 100000; ++i) {
        xml += "</array>";
    }
    return xml + "</plist>\n";
}

struct HostilePlist {
    const char* name;
    std::string bytes;
};

// Each head hides the depth from a scanner that counts brackets without
// regard to comments or quotes, or that lets a quote run past a '<'.
inline std::vector<HostilePlist> disguisedDeepPlists() {
    return {
        {"stray bracket", deepBehind("<?xml version=\"1.0\"?><!DOCTYPE plist ]><plist version=\"1.0\">")},
        {"unbalanced quote", deepBehind("<?xml version=\"1.0\"?><plist version='1.0>")},
        {"comment with <dict>", deepBehind("<!DOCTYPE plist [ <!-- <dict> [ --> ]><plist version=\"1.0\">")},
        {"CDATA with <array>",
         deepBehind("<!DOCTYPE plist [ <!ENTITY c \"<![CDATA[<array>\"> ]><plist version=\"1.0\">")},
    };
}

// The disguised deep forms and, last, 14^4 copies of a 2,000-byte string
// (77 MB) in a file of 2 KB, its top a dictionary holding them under `key`.
inline std::vector<HostilePlist> hostilePlists(const std::string& key) {
    std::vector<HostilePlist> all = disguisedDeepPlists();
    all.push_back({"shared strings", sharedStringsBinary(4, 2000, key)});
    return all;
}

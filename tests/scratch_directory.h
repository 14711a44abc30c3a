// A fresh folder under /tmp for a test's files (F12 screenshots land in the working directory): the
// test runs in it, and it is removed with everything in it afterwards, also when an assertion fails.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <string>

struct ScratchDirectory {
    std::string path, previous;
    ScratchDirectory() {
        char pattern[] = "/tmp/velmora-test-XXXXXX";
        char cwd[4096];
        previous = getcwd(cwd, sizeof cwd) ? cwd : "/tmp";
        path = mkdtemp(pattern) ? pattern : "";
        if (!path.empty() && chdir(path.c_str()) != 0) path.clear();
    }
    ~ScratchDirectory() {
        if (chdir(previous.c_str()) == 0 && !path.empty()) std::system(("rm -rf '" + path + "'").c_str());
    }
};

// The picture's pinned hashes, and SHA-256 of pixels to hold against them. Needs no display.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace harness {

// SHA-256 of the bytes, as sha256sum prints it.
inline std::string Sha256(const std::uint8_t* bytes, std::size_t size)
{
    char path[] = "/tmp/vellum-pixels-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) return "no temporary file";
    close(fd);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes), std::streamsize(size));
    std::string hash(64, '?');
    if (FILE* sum = popen((std::string("sha256sum ") + path).c_str(), "r")) {
        if (std::fread(hash.data(), 1, hash.size(), sum) != hash.size()) hash = "unreadable";
        pclose(sum);
    }
    unlink(path);
    return hash;
}

// The committed hash of a stage's pixels ("frame-720", "render-1080", ...). The picture is fixed
// to the last bit, so a different hash is a change of the picture: if it is a wanted one,
// look at the new PNGs and put the hash printed into tests/picture.sha256.
inline std::string PinnedHash(const std::string& name)
{
    std::ifstream pins(std::string(VELLUM_SOURCE_DIR) + "/tests/picture.sha256");
    for (std::string line, hash, label; std::getline(pins, line);)
        if (std::istringstream(line) >> hash >> label && label == name) return hash;
    return "no pinned hash for " + name;
}

}  // namespace harness

// The picture's form as tools/artwork.py states it (picture/form.txt): what the table and its
// render are held to. Needs no display.
#pragma once

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace form {

struct Tone {
    std::string name;
    int r, g, b, tolerance;
    double least, most;
};

struct Form {
    std::vector<Tone> tones;
};

inline Form Read()
{
    Form form;
    std::ifstream in(std::string(VELLUM_SOURCE_DIR) + "/picture/form.txt");
    for (std::string line, word; std::getline(in, line);) {
        std::istringstream fields(line);
        if (!(fields >> word)) continue;
        if (word == "tone") {
            Tone tone;
            fields >> tone.name >> tone.r >> tone.g >> tone.b >> tone.tolerance >> tone.least >> tone.most;
            form.tones.push_back(tone);
        }
    }
    return form;
}

}  // namespace form

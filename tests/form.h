// The picture's form as tools/artwork.py states it (picture/form.txt): what the table and its
// render are held to. Needs no display.
#pragma once

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace form {

struct Layer {
    int polygons = 0, vertices = 0;
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    std::map<int, int> sizes;  // vertices: polygons
};

struct Tone {
    std::string name;
    int r, g, b, tolerance;
    double least, most;
};

struct Form {
    std::map<int, Layer> layers;  // by layer number, 1 to 7
    std::vector<Tone> tones;
};

inline Form Read()
{
    Form form;
    std::ifstream in(std::string(VELLUM_SOURCE_DIR) + "/picture/form.txt");
    for (std::string line, word; std::getline(in, line);) {
        std::istringstream fields(line);
        if (!(fields >> word)) continue;
        if (word == "layer") {
            int number;
            std::string label;
            fields >> number;
            Layer& layer = form.layers[number];
            fields >> label >> layer.polygons >> label >> layer.vertices >> label >> layer.x0 >> layer.y0 >> layer.x1 >>
                layer.y1 >> label;
            int vertices, polygons;
            char colon;
            while (fields >> vertices >> colon >> polygons) layer.sizes[vertices] = polygons;
        } else if (word == "tone") {
            Tone tone;
            fields >> tone.name >> tone.r >> tone.g >> tone.b >> tone.tolerance >> tone.least >> tone.most;
            form.tones.push_back(tone);
        }
    }
    return form;
}

}  // namespace form

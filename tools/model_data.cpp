// Writes the installation's section model files, model_w.bin (rotor) and
// model_g.bin (stator), into the directory given: every set's 5 x 5 matrix
// row by row as little-endian 32-bit floats, the built-in coefficients in the
// upper triangle and zeros below it.
#include <bit>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "blades/section_model_tables.h"

namespace {

namespace sm = h2::section_model;

bool write_model(const std::string& dir, int kind) {
    const int nsets = sm::set_count(kind);
    std::vector<double> coef(static_cast<std::size_t>(nsets) * sm::kSetSize, 0.0);
    for (int k = 0; k < nsets; ++k)
        for (int u = 0; u < sm::kUsed; ++u)
            coef[static_cast<std::size_t>(k * sm::kSetSize + sm::kUsedCells[u][0] * sm::kMatrix +
                                          sm::kUsedCells[u][1])] = sm::builtin_table(kind)[k][u];
    std::vector<unsigned char> bytes;
    for (double v : coef) {
        const auto bits = std::bit_cast<std::uint32_t>(static_cast<float>(v));
        for (int s = 0; s < 32; s += 8) bytes.push_back(static_cast<unsigned char>(bits >> s));
    }
    const std::string path = dir + "/" + sm::file_name(kind);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s output-directory\n", argv[0]);
        return 2;
    }
    return write_model(argv[1], 1) && write_model(argv[1], 2) ? 0 : 1;
}

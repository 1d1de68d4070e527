// CheckSnapinImage, mapping included, on a 200 KB and a 200 MB view snap-in
// with the same small .rdata and .idata: the rest of each file is a .data
// section that the check passes over.
#include "bench/wine/BenchHost.h"
#include "files/SnapinFiles.h"
#include "tests/native/ImageBuilder.h"

namespace {
constexpr int kCallsPerRun = 200;

bool WriteImage(const std::string& path, size_t padding) {
    const ImageBuilder::Bytes image =
        ImageBuilder()
            .Section(".rdata", std::string("strings\0InitSnapin\0more\0", 24))
            .Section(".idata", std::string("\0\0KERNEL32.dll\0\0\0VMARegisterMDIChildWindow\0\0", 45))
            .Section(".data", std::string(padding, 'x'))
            .Build();
    return WriteBytes(path, image.data(), image.size());
}
}  // namespace

void BenchCheckImage(const BenchOptions& options) {
    TempDir dir;
    const std::pair<const char*, size_t> sizes[] = {{"200KB", size_t{200} << 10}, {"200MB", size_t{200} << 20}};
    std::vector<Measure> measures;
    for (const auto& size : sizes) {
        const std::string path = dir / (std::string("IMAGE") + size.first + ".DLL");
        int32_t kind = 0;
        const bool written = WriteImage(path, size.second) && CheckSnapinImage(path.c_str(), kind) == 0 && kind == 2;
        measures.push_back([written, path, run = WallMilliseconds([path] {
                                                for (int i = 0; i < kCallsPerRun; ++i) {
                                                    int32_t kind = 0;
                                                    CheckSnapinImage(path.c_str(), kind);
                                                }
                                            })] { return written ? run() / kCallsPerRun : -1; });
    }
    // Both files in turn, so that the machine's load falls on both alike.
    const std::vector<double> medians = InterleavedMedians(options.repetitions(), measures);
    for (size_t i = 0; i < medians.size(); ++i)
        PrintFigure(std::string("check/") + sizes[i].first + " CheckSnapinImage", medians[i]);
}

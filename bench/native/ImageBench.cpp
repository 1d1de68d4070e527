// FindStringInBlock against memchr, memmem and its per-offset definition on
// blocks of zeros, text and marker-dense bytes; InspectSnapinImage on a small
// and a large image with the same small .rdata and .idata.
//
// Names: "<search>/<block>/<size>" and "InspectSnapinImage/<size>". The
// memchr entry looks for a byte the block does not hold: one pass over the
// whole block at the platform's best speed, the floor for any search that
// finds nothing. memmem looks for the marker with its NUL. The goals' ratios
// come from "pair/<reference>/<block>/<size>", which alternates the two.
#include "files/ImageInspection.h"
#include "tests/native/FindStringDefinition.h"
#include "tests/native/ImageBuilder.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

const char kMarker[] = "InitSnapin";
const unsigned char kAbsentByte = 0x01;

const char kProse[] =
    "The console loads every module it finds in the list of enabled snap-ins, and each of them adds "
    "its own pages, menus and views. If a module cannot be loaded, the console goes on without it. "
    "In the configuration dialog an administrator switches snap-ins on and off; nothing is deleted. "
    "It is good practice to keep the directory tidy: old versions of a module belong elsewhere. ";

std::vector<unsigned char> Fill(const std::string& pattern, size_t size) {
    std::vector<unsigned char> block(size);
    for (size_t i = 0; i < size; ++i) block[i] = static_cast<unsigned char>(pattern[i % pattern.size()]);
    return block;
}

// Blocks made once and kept for the run: zeros, text, "InInIn...".
const std::vector<unsigned char>& Block(const std::string& kind, size_t size) {
    static std::map<std::pair<std::string, size_t>, std::vector<unsigned char>> blocks;
    auto& block = blocks[{kind, size}];
    if (block.empty()) {
        if (kind == "zeros") block.assign(size, 0);
        else if (kind == "text") block = Fill(kProse, size);
        else block = Fill("In", size);
    }
    return block;
}

using Search = const void* (*)(const unsigned char* block, size_t size);

const void* ByFindStringInBlock(const unsigned char* block, size_t size) {
    return FindStringInBlock(block, static_cast<int32_t>(size), kMarker);
}
const void* ByDefinition(const unsigned char* block, size_t size) {
    return FindStringByDefinition(block, static_cast<int32_t>(size), kMarker);
}
const void* ByMemchr(const unsigned char* block, size_t size) { return std::memchr(block, kAbsentByte, size); }
const void* ByMemmem(const unsigned char* block, size_t size) { return memmem(block, size, kMarker, sizeof kMarker); }

void RunSearch(benchmark::State& state, Search search, const std::string& kind, size_t size) {
    const std::vector<unsigned char>& block = Block(kind, size);
    for (auto _ : state) benchmark::DoNotOptimize(search(block.data(), block.size()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
}

// FindStringInBlock and a reference in turn, each timed on its own, so that
// a change in the machine's load (other processes, memory traffic) falls on
// both alike: counters "ours" and "reference" in bytes per second.
void RunPair(benchmark::State& state, Search reference, const std::string& kind, size_t size) {
    const std::vector<unsigned char>& block = Block(kind, size);
    double oursSeconds = 0, referenceSeconds = 0;
    for (auto _ : state) {
        for (Search search : {ByFindStringInBlock, reference}) {
            const auto start = std::chrono::steady_clock::now();
            benchmark::DoNotOptimize(search(block.data(), block.size()));
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            (search == reference ? referenceSeconds : oursSeconds) += took.count();
        }
    }
    const double bytes = static_cast<double>(state.iterations()) * static_cast<double>(size);
    state.counters["ours"] = bytes / oursSeconds;
    state.counters["reference"] = bytes / referenceSeconds;
}

// A library with .rdata holding the marker and .idata naming the view
// import, followed by `padding` bytes of a .data section.
ImageBuilder::Bytes Image(size_t padding) {
    return ImageBuilder()
        .Section(".rdata", std::string("strings\0InitSnapin\0more\0", 24))
        .Section(".idata", std::string("\0\0KERNEL32.dll\0\0\0VMARegisterMDIChildWindow\0\0", 45))
        .Section(".data", std::string(padding, 'x'))
        .Build();
}

void RunInspect(benchmark::State& state, size_t padding) {
    const ImageBuilder::Bytes image = Image(padding);
    for (auto _ : state) benchmark::DoNotOptimize(InspectSnapinImage(image.data(), image.size()));
}

}  // namespace

int main(int argc, char** argv) {
    const std::pair<const char*, Search> searches[] = {{"FindStringInBlock", ByFindStringInBlock},
                                                       {"memchr", ByMemchr},
                                                       {"memmem", ByMemmem},
                                                       {"definition", ByDefinition}};
    const std::pair<const char*, size_t> sizes[] = {{"1MB", size_t{1} << 20}, {"256MB", size_t{256} << 20}};
    for (const auto& size : sizes)
        for (const char* kind : {"zeros", "text", "dense"})
            for (const auto& search : searches) {
                const std::string name = std::string(search.first) + "/" + kind + "/" + size.first;
                benchmark::RegisterBenchmark(name.c_str(), RunSearch, search.second, std::string(kind), size.second)
                    ->Unit(benchmark::kMicrosecond)->UseRealTime();
            }
    for (const auto& size : sizes)
        for (const char* kind : {"zeros", "text", "dense"}) {
            const bool dense = std::string(kind) == "dense";
            const std::string name = std::string("pair/") + (dense ? "memmem" : "memchr") + "/" + kind + "/" + size.first;
            benchmark::RegisterBenchmark(name.c_str(), RunPair, dense ? ByMemmem : ByMemchr, std::string(kind), size.second)
                ->Unit(benchmark::kMicrosecond)->UseRealTime();
        }
    benchmark::RegisterBenchmark("InspectSnapinImage/200KB", RunInspect, size_t{200} << 10)->Unit(benchmark::kNanosecond)->UseRealTime();
    benchmark::RegisterBenchmark("InspectSnapinImage/200MB", RunInspect, size_t{200} << 20)->Unit(benchmark::kNanosecond)->UseRealTime();

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

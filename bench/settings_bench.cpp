// The settings file with 10,000 servers: the parse when the main window opens, and the compose
// and encipher when it closes; the start-up password taken from a text full of password lines.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "core/SettingsFile.h"

namespace kestrune {
namespace {

constexpr int kServers = 10000;

std::vector<ServerEntry> ManyServers() {
    std::vector<ServerEntry> entries;
    entries.reserve(kServers);
    for (int i = 0; i < kServers; ++i) {
        // Remarks in code page 936, one of them on two lines.
        entries.push_back(ServerEntry{
            "10.0." + std::to_string(i / 256) + "." + std::to_string(i % 256), "3389",
            "Administrator", "pw" + std::to_string(i),
            "\xBB\xFA\xB7\xBF\r\n\xD2\xBB\xBA\xC5 " + std::to_string(i), ServerStatus::Unknown});
    }
    return entries;
}

LaunchOptionValues SomeOptions() {
    LaunchOptionValues options;
    options.TurnConsoleOn();
    options.SelectResolution(Resolution::R1024x768);
    return options;
}

void BM_ParseSettings(benchmark::State& state) {
    const std::string text = ComposeSettingsText(ManyServers(), SomeOptions(), "pw");
    for (auto _ : state) {
        ServerList list;
        LaunchOptionValues options;
        ParseSettings(text, list, options);
        benchmark::DoNotOptimize(list.Count());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ParseSettings)->Unit(benchmark::kMillisecond);

void BM_ComposeAndEncipher(benchmark::State& state) {
    const std::vector<ServerEntry> entries = ManyServers();
    const LaunchOptionValues options = SomeOptions();
    std::size_t size = 0;
    for (auto _ : state) {
        const std::string file =
            SettingsCodec(ComposeSettingsText(entries, options, "pw"), kSettingsKey);
        size = file.size();
        benchmark::DoNotOptimize(file.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(size));
}
BENCHMARK(BM_ComposeAndEncipher)->Unit(benchmark::kMillisecond);

// The start-up password taken from a text that is full of password lines (a damaged or foreign
// file): the time should grow with the text, not with its square.
void BM_ExtractBetweenManyPieces(benchmark::State& state) {
    std::string text;
    for (std::int64_t i = 0; i < state.range(0); ++i) {
        text += "#LoadinPass:<pw>\r\n";
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(ExtractBetween(text, kPasswordOpen, kPasswordClose).size());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ExtractBetweenManyPieces)->Arg(10000)->Arg(40000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrune

BENCHMARK_MAIN();

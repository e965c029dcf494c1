// The settings store's whole load and save of a group with every value, and the raw
// registry write.
#include "BenchSupport.h"
#include "core/ProgramEntry.h"
#include "platform/Registry.h"

#include <benchmark/benchmark.h>

namespace muralto::bench {
namespace {

void PrepareRegistry() {
    static const bool prepared = [] {
        setenv("MURALTO_REGISTRY", (PrivateHome() + "registry.db").c_str(), 1);
        TSetting& s = Setting();
        PrepareSettingsEvents(s);
        s.Load();
        s.Save();
        std::atexit([] { std::filesystem::remove_all(PrivateHome()); });
        return true;
    }();
    (void)prepared;
}

void BM_SettingsLoad(benchmark::State& state) {
    PrepareRegistry();
    for (auto _ : state)
        Setting().Load();
}
BENCHMARK(BM_SettingsLoad)->Unit(benchmark::kMillisecond);

void BM_SettingsSave(benchmark::State& state) {
    PrepareRegistry();
    for (auto _ : state)
        Setting().Save();
}
BENCHMARK(BM_SettingsSave)->Unit(benchmark::kMillisecond);

void BM_RegistryWriteValue(benchmark::State& state) {
    PrepareRegistry();
    int i = 0;
    for (auto _ : state)
        SettingsRegistry().WriteInteger(RegistryRoot::CurrentUser, "Software\\Bench", "v", i++);
}
BENCHMARK(BM_RegistryWriteValue)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace muralto::bench

BENCHMARK_MAIN();

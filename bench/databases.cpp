// The drivers database at its capacity of 1000 records, every field filled: loading the file,
// adding one driver (the refusal checks and the sort), and saving the file through the
// crash-safe write (flushed to the disk).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "databases/database_files.h"
#include "databases/editor.h"

namespace velkaro {
namespace {

namespace fs = std::filesystem;

// 999 drivers in a scratch folder, made the current one; the 1000th is added by the benchmark.
class Folder {
  public:
    Folder() {
        char name[] = "/tmp/velkaro-bench-XXXXXX";
        path_ = mkdtemp(name);
        old_ = fs::current_path();
        fs::current_path(path_);
        auto table = std::make_unique<DriverTable>();
        for (int i = 0; i + 1 < kDriverRecords; ++i) {
            DriverRecord& d = (*table)[static_cast<std::size_t>(i)];
            Format(d.name, "DRIVER %04d \xC9mile", (i * 7919) % 10000);
            d.address = "12 rue de la Piste";
            d.location = "Saint-\xC9tienne";
            d.country = "France";
            d.email = "driver@example.org";
            d.transponder = "004242";
            d.club = "RC Club Nord";
            d.image = "/home/user/photos/driver.bmp";
        }
        SortByName(*table);
        SaveDrivers(*table, NameCount(*table), SystemDisk());
    }
    ~Folder() {
        fs::current_path(old_);
        fs::remove_all(path_);
    }

  private:
    fs::path path_, old_;
};

void BM_LoadDrivers(benchmark::State& state) {
    Folder folder;
    auto table = std::make_unique<DriverTable>();
    for (auto _ : state) {
        *table = {};
        benchmark::DoNotOptimize(LoadDrivers(*table, SystemDisk()));
    }
}
BENCHMARK(BM_LoadDrivers)->Unit(benchmark::kMillisecond);

void BM_AddDriverToAFullTable(benchmark::State& state) {
    Folder folder;
    auto loaded = std::make_unique<DriverTable>();
    LoadDrivers(*loaded, SystemDisk());
    auto table = std::make_unique<DriverTable>();
    for (auto _ : state) {
        state.PauseTiming();
        *table = *loaded;
        state.ResumeTiming();
        benchmark::DoNotOptimize(AddName(*table, "aaa New driver", kDriverRules));
    }
}
BENCHMARK(BM_AddDriverToAFullTable)->Unit(benchmark::kMillisecond);

void BM_SaveDrivers(benchmark::State& state) {
    Folder folder;
    auto table = std::make_unique<DriverTable>();
    LoadDrivers(*table, SystemDisk());
    AddName(*table, "aaa New driver", kDriverRules);
    for (auto _ : state)
        benchmark::DoNotOptimize(SaveDrivers(*table, NameCount(*table), SystemDisk()));
}
BENCHMARK(BM_SaveDrivers)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velkaro

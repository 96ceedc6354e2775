// GOST 34.311 digests: ours beside libgcrypt's GOST R 34.11-94 on the same
// data in the same run, with the speed ratio printed at the end (above 1:
// ours is faster), and XML loading with the configuration digest.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#if ZRX_BENCH_GCRYPT
#include <gcrypt.h>
#endif

#include "platform/core/config/XmlHesh.h"
#include "platform/core/config/XmlNode.h"
#include "platform/core/crypto/Digest.h"

namespace {

// Data that is not one repeated byte, the same for every run.
std::string sample(size_t size) {
    std::string data(size, '\0');
    uint32_t x = 0x12345678u;
    for (char& c : data) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 24);
    }
    return data;
}

void hashOurs(benchmark::State& state, const TGost28147SBox* sbox) {
    const std::string data = sample(static_cast<size_t>(state.range(0)));
    uint8_t out[32];
    for (auto _ : state) {
        dstu34311_md(data.data(), data.size(), out, sbox);
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

constexpr int64_t kMiB = 1 << 20;

}  // namespace

// The library's default table.
static void BM_Gost34311(benchmark::State& state) { hashOurs(state, nullptr); }
BENCHMARK(BM_Gost34311)->Arg(64)->Arg(4096)->Arg(kMiB);

// The update files' digest: the CryptoPro parameter set.
static void BM_Gost34311CryptoPro(benchmark::State& state) { hashOurs(state, getGostR3411CryptoProSBlock()); }
BENCHMARK(BM_Gost34311CryptoPro)->Arg(4096)->Arg(kMiB)->Arg(64 * kMiB)->Unit(benchmark::kMillisecond);

// The test parameter set of GOST R 34.11-94.
static void BM_Gost34311TestSet(benchmark::State& state) { hashOurs(state, getGostR3411TestSBlock()); }
BENCHMARK(BM_Gost34311TestSet)->Arg(kMiB)->Unit(benchmark::kMillisecond);

#if ZRX_BENCH_GCRYPT
namespace {

void hashLibgcrypt(benchmark::State& state, int algo) {
    const std::string data = sample(static_cast<size_t>(state.range(0)));
    uint8_t out[32];
    for (auto _ : state) {
        gcry_md_hash_buffer(algo, out, data.data(), data.size());
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

}  // namespace

static void BM_Gost34311CryptoProLibgcrypt(benchmark::State& state) { hashLibgcrypt(state, GCRY_MD_GOSTR3411_CP); }
BENCHMARK(BM_Gost34311CryptoProLibgcrypt)->Arg(4096)->Arg(kMiB)->Arg(64 * kMiB)->Unit(benchmark::kMillisecond);

static void BM_Gost34311TestSetLibgcrypt(benchmark::State& state) { hashLibgcrypt(state, GCRY_MD_GOSTR3411_94); }
BENCHMARK(BM_Gost34311TestSetLibgcrypt)->Arg(kMiB)->Unit(benchmark::kMillisecond);
#endif

static void BM_XmlLoadAndDigest(benchmark::State& state) {
    std::string doc = "<objects oid=\"1.2.3\">";
    for (int i = 0; i < state.range(0); ++i)
        doc += "<o" + std::to_string(i) + " ln=\"Объект " + std::to_string(i) + "\" oid=\"1.2.3." + std::to_string(i) +
               "\" valtype=\"string\" critical=\"No\"/>";
    doc += "</objects>";
    for (auto _ : state) {
        TCXMLNodeParser p(true);
        p.loadText(doc.data(), doc.size());
        benchmark::DoNotOptimize(calcXMLHesh(p.getRoot(), "cpkix"));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(doc.size()));
}
BENCHMARK(BM_XmlLoadAndDigest)->Arg(100)->Arg(10000);

namespace {

// The console report, and the time per iteration of every run kept for the
// ratio of each of our digests to libgcrypt's on the same input.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& reports) override {
        ConsoleReporter::ReportRuns(reports);
        for (const Run& r : reports)
            if (r.run_type == Run::RT_Iteration && !r.error_occurred && r.iterations > 0)
                seconds_[r.benchmark_name()] = r.real_accumulated_time / static_cast<double>(r.iterations);
    }

    void printRatios() const {
        const std::string mark = "Libgcrypt";
        for (const auto& [name, theirs] : seconds_) {
            const size_t at = name.find(mark);
            if (at == std::string::npos) continue;
            const std::string ours = name.substr(0, at) + name.substr(at + mark.size());
            const auto it = seconds_.find(ours);
            if (it == seconds_.end() || it->second <= 0) continue;
            std::printf("%-40s ours %.3f ms, libgcrypt %.3f ms, ours/libgcrypt speed %.2f\n", ours.c_str(),
                        it->second * 1e3, theirs * 1e3, theirs / it->second);
        }
    }

private:
    std::map<std::string, double> seconds_;
};

#if ZRX_BENCH_GCRYPT
// Both sides must compute the same digest, or the comparison means nothing.
bool sameDigests() {
    const std::string data = sample(kMiB + 17);
    const struct {
        const TGost28147SBox* sbox;
        int algo;
    } sets[] = {{getGostR3411CryptoProSBlock(), GCRY_MD_GOSTR3411_CP},
                {getGostR3411TestSBlock(), GCRY_MD_GOSTR3411_94}};
    for (const auto& s : sets) {
        uint8_t ours[32], theirs[32];
        dstu34311_md(data.data(), data.size(), ours, s.sbox);
        gcry_md_hash_buffer(s.algo, theirs, data.data(), data.size());
        if (std::string(reinterpret_cast<char*>(ours), 32) != std::string(reinterpret_cast<char*>(theirs), 32))
            return false;
    }
    return true;
}
#endif

}  // namespace

int main(int argc, char** argv) {
#if ZRX_BENCH_GCRYPT
    gcry_check_version(nullptr);
    gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
    const bool same = sameDigests();
    std::printf("GOST 34.311 digests equal to libgcrypt's: %s\n", same ? "yes" : "NO");
#endif
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
#if ZRX_BENCH_GCRYPT
    return same ? 0 : 1;
#else
    return 0;
#endif
}

#include <benchmark/benchmark.h>

#include <string>

#if ZRX_BENCH_GCRYPT
#include <gcrypt.h>
#endif

#include "platform/core/crypto/Digest.h"
#include "platform/core/config/XmlHesh.h"
#include "platform/core/config/XmlNode.h"

static void BM_Gost34311(benchmark::State& state) {
    const std::string data(static_cast<size_t>(state.range(0)), 'a');
    uint8_t out[32];
    for (auto _ : state) {
        dstu34311_md(data.data(), data.size(), out);
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Gost34311)->Arg(64)->Arg(4096)->Arg(1 << 20);

// The update files' digest: the CryptoPro parameter set, streamed.
static void BM_Gost34311CryptoPro(benchmark::State& state) {
    const std::string data(static_cast<size_t>(state.range(0)), 'a');
    uint8_t out[32];
    for (auto _ : state) {
        dstu34311_md(data.data(), data.size(), out, getGostR3411CryptoProSBlock());
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Gost34311CryptoPro)->Arg(4096)->Arg(1 << 20);

#if ZRX_BENCH_GCRYPT
// The same digest by libgcrypt, side by side.
static void BM_Gost34311CryptoProLibgcrypt(benchmark::State& state) {
    gcry_check_version(nullptr);
    const std::string data(static_cast<size_t>(state.range(0)), 'a');
    uint8_t out[32];
    for (auto _ : state) {
        gcry_md_hash_buffer(GCRY_MD_GOSTR3411_CP, out, data.data(), data.size());
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Gost34311CryptoProLibgcrypt)->Arg(4096)->Arg(1 << 20);
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

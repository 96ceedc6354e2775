// Container open time is dominated by the key derivation: with the default
// scrypt (N=2^15, r=8, p=1: 32 MiB) expect about 0.1 s per open on a
// desktop core; PBKDF2-SHA256 with 600 000 iterations about 0.3 s.
// Key generation: EC, Ed25519 and X25519 take well under a millisecond,
// RSA grows steeply with its size (seconds for 4096 bits).
#include <benchmark/benchmark.h>

#include <string>
#include <unistd.h>

#include "platform/core/container/ContainerFile.h"
#include "platform/core/container/KeyCrypto.h"

using namespace zrx::container;
using namespace zrx::crypto;

namespace {

ContainerImage sampleImage() {
    ContainerImage img;
    img.meta.name = "bench";
    for (const char* alg : {"EC:P-256", "X25519"}) {
        PkeyPtr k;
        generateKey(KeyAlgorithm::parse(alg), k);
        KeyRecord r;
        r.publicKey = publicKeyDer(k.get());
        r.id = keyIdOfSpki(r.publicKey);
        r.algorithm = alg;
        exportPkcs8(k.get(), r.pkcs8);
        img.keys.push_back(r);
    }
    return img;
}

void openWith(benchmark::State& state, const KdfParams& kdf) {
    std::string bytes;
    encodeFile(sampleImage(), "bench-password", 14, kdf, bytes);
    std::string path = "/tmp/zrx-bench-" + std::to_string(getpid()) + ".zrx";
    writeFileAtomic(path, bytes);
    for (auto _ : state) {
        std::string read;
        readWholeFile(path, read);
        ContainerImage img;
        KResult rc = decodeFile(reinterpret_cast<const uint8_t*>(read.data()), read.size(), "bench-password", 14, img);
        if (rc) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(img);
    }
    unlink(path.c_str());
}

void BM_OpenScryptDefault(benchmark::State& state) { openWith(state, KdfParams::scrypt()); }
void BM_OpenPbkdf2Default(benchmark::State& state) { openWith(state, KdfParams::pbkdf2()); }
void BM_OpenScryptMinimum(benchmark::State& state) { openWith(state, KdfParams::scrypt(10, 1, 1)); }

void BM_KeyGen(benchmark::State& state, const char* alg) {
    KeyAlgorithm a = KeyAlgorithm::parse(alg);
    for (auto _ : state) {
        PkeyPtr k;
        if (generateKey(a, k)) state.SkipWithError("keygen failed");
        benchmark::DoNotOptimize(k);
    }
}

}  // namespace

BENCHMARK(BM_OpenScryptDefault)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenPbkdf2Default)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenScryptMinimum)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_KeyGen, ec_p256, "EC:P-256")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_KeyGen, ec_p384, "EC:P-384")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_KeyGen, ed25519, "Ed25519")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_KeyGen, x25519, "X25519")->Unit(benchmark::kMillisecond);
// RSA generation time varies widely with the primes found: the library runs
// as many iterations as fill the minimum time, so that the mean is steady.
BENCHMARK_CAPTURE(BM_KeyGen, rsa2048, "RSA:2048")->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK_CAPTURE(BM_KeyGen, rsa3072, "RSA:3072")->Unit(benchmark::kMillisecond)->MinTime(5.0);
BENCHMARK_CAPTURE(BM_KeyGen, rsa4096, "RSA:4096")->Unit(benchmark::kMillisecond)->MinTime(10.0);

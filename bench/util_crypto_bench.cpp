// SHA-1 and AES throughput (bytes per second) of the utilities beside
// OpenSSL's libcrypto on the same buffers in the same run.
#include "util/u_aes.h"
#include "util/u_sha1.h"

#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <random>
#include <vector>

namespace {

constexpr size_t kBufferBytes = 64 * 1024;

const std::vector<U8>& buffer()
{
    static const std::vector<U8> data = [] {
        std::vector<U8> d(kBufferBytes);
        std::mt19937 rng(7);
        for (U8& b : d) {
            b = static_cast<U8>(rng());
        }
        return d;
    }();
    return data;
}

const U8 kKey[32] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15,
                     16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31};

void BM_Sha1_Ours(benchmark::State& state)
{
    const std::vector<U8>& data = buffer();
    for (auto _ : state) {
        SHA1_CTX ctx;
        U_SHA1_vReset(&ctx);
        U_SHA1_vInput(&ctx, data.data(), static_cast<U32>(data.size()));
        U_SHA1_bFinal(&ctx);
        benchmark::DoNotOptimize(ctx.H[0]);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(data.size()));
}
BENCHMARK(BM_Sha1_Ours);

void BM_Sha1_OpenSSL(benchmark::State& state)
{
    const std::vector<U8>& data = buffer();
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    for (auto _ : state) {
        EVP_Digest(data.data(), data.size(), digest, &length, EVP_sha1(), nullptr);
        benchmark::DoNotOptimize(digest[0]);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(data.size()));
}
BENCHMARK(BM_Sha1_OpenSSL);

void BM_AesEncrypt_Ours(benchmark::State& state)
{
    const int keybits = static_cast<int>(state.range(0));
    U32 rk[U_AES_MAX_RK_WORDS];
    int rounds = U_AES_nSetupEncrypt(rk, kKey, keybits);
    std::vector<U8> work = buffer();
    for (auto _ : state) {
        for (size_t at = 0; at < work.size(); at += 16) {
            U_AES_vEncrypt(rk, rounds, work.data() + at, work.data() + at);
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(work.size()));
}
BENCHMARK(BM_AesEncrypt_Ours)->Arg(128)->Arg(256);

void BM_AesDecrypt_Ours(benchmark::State& state)
{
    const int keybits = static_cast<int>(state.range(0));
    U32 rk[U_AES_MAX_RK_WORDS];
    int rounds = U_AES_nSetupDecrypt(rk, kKey, keybits);
    std::vector<U8> work = buffer();
    for (auto _ : state) {
        for (size_t at = 0; at < work.size(); at += 16) {
            U_AES_vDecrypt(rk, rounds, work.data() + at, work.data() + at);
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(work.size()));
}
BENCHMARK(BM_AesDecrypt_Ours)->Arg(128)->Arg(256);

// Block-by-block ECB, the same work as the loops above.
void opensslAes(benchmark::State& state, bool encrypt)
{
    const int keybits = static_cast<int>(state.range(0));
    const EVP_CIPHER* cipher = keybits == 128 ? EVP_aes_128_ecb() : EVP_aes_256_ecb();
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    EVP_CipherInit_ex(ctx, cipher, nullptr, kKey, nullptr, encrypt ? 1 : 0);
    EVP_CIPHER_CTX_set_padding(ctx, 0);
    std::vector<U8> work = buffer();
    int outLength = 0;
    for (auto _ : state) {
        EVP_CipherUpdate(ctx, work.data(), &outLength, work.data(), static_cast<int>(work.size()));
        benchmark::ClobberMemory();
    }
    EVP_CIPHER_CTX_free(ctx);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(work.size()));
}

void BM_AesEncrypt_OpenSSL(benchmark::State& state)
{
    opensslAes(state, true);
}
BENCHMARK(BM_AesEncrypt_OpenSSL)->Arg(128)->Arg(256);

void BM_AesDecrypt_OpenSSL(benchmark::State& state)
{
    opensslAes(state, false);
}
BENCHMARK(BM_AesDecrypt_OpenSSL)->Arg(128)->Arg(256);

} // namespace

BENCHMARK_MAIN();

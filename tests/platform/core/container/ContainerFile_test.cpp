// Container file format: round trip, hostile files, atomic replacement.
#include "platform/core/container/ContainerFile.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/TempDir.h"

using namespace zrx::container;

namespace {

const char kPw[] = "correct horse 1";

ContainerImage sampleImage() {
    ContainerImage img;
    img.meta.name = "Контейнер";
    img.meta.owner = "Иванов Иван";
    img.meta.location = "/tmp/x.zrx";
    img.meta.profile = 2;
    img.meta.flags = kMetaActiveMode;
    img.meta.updateTime = 1'900'000'000'000LL;  // beyond 2038 on purpose
    KeyRecord k;
    k.id = std::string(20, '\x11');
    k.role = kRoleNext;
    k.purpose = 0x20000;
    k.algorithm = "EC:P-256";
    k.created = 4'102'444'800LL;
    k.pkcs8.assignBytes("secret-der", 10);
    k.publicKey = "pub";
    img.keys.push_back(k);
    RequestRecord r;
    r.keyId = k.id;
    r.purpose = 0x20000;
    r.der = std::string("\x30\x03\x02\x01\x00", 5);
    r.signedDer = "cms";
    img.requests.push_back(r);
    CertRecord c;
    c.role = kCertChain;
    c.der = "cert";
    img.certs.push_back(c);
    return img;
}

KdfParams fastKdf() { return KdfParams::scrypt(10, 1, 1); }

std::string encoded() {
    std::string out;
    EXPECT_EQ(0u, encodeFile(sampleImage(), kPw, sizeof kPw - 1, fastKdf(), out));
    return out;
}

KResult decode(const std::string& bytes, const char* pw = kPw) {
    ContainerImage img;
    img.meta.name = "untouched";
    KResult rc = decodeFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), pw, strlen(pw), img);
    // A failed read never hands out a partly filled image.
    if (rc) {
        EXPECT_EQ("untouched", img.meta.name);
    }
    return rc;
}

}  // namespace

TEST(ContainerFile, RoundTripKeepsEveryField) {
    for (KdfParams kdf : {fastKdf(), KdfParams::pbkdf2(10000)}) {
        std::string bytes;
        ASSERT_EQ(0u, encodeFile(sampleImage(), kPw, sizeof kPw - 1, kdf, bytes));
        ContainerImage img;
        ASSERT_EQ(0u,
                  decodeFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), kPw, sizeof kPw - 1, img));
        EXPECT_EQ("Контейнер", img.meta.name);
        EXPECT_EQ("Иванов Иван", img.meta.owner);
        EXPECT_EQ(2, img.meta.profile);
        EXPECT_EQ(1'900'000'000'000LL, img.meta.updateTime);
        ASSERT_EQ(1u, img.keys.size());
        EXPECT_EQ(kRoleNext, img.keys[0].role);
        EXPECT_EQ("EC:P-256", img.keys[0].algorithm);
        EXPECT_EQ(4'102'444'800LL, img.keys[0].created);
        EXPECT_EQ("secret-der", img.keys[0].pkcs8.view());
        ASSERT_EQ(1u, img.requests.size());
        EXPECT_EQ("cms", img.requests[0].signedDer);
        ASSERT_EQ(1u, img.certs.size());
        EXPECT_EQ(kCertChain, img.certs[0].role);
        uint16_t version = 0;
        KdfParams read;
        ASSERT_EQ(0u, readHeader(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), version, read));
        EXPECT_EQ(kdf.id, read.id);
        EXPECT_EQ(kdf.p1, read.p1);
    }
}

TEST(ContainerFile, PlainKeyMaterialNeverInFile) {
    std::string bytes = encoded();
    EXPECT_EQ(std::string::npos, bytes.find("secret-der"));
    EXPECT_EQ(std::string::npos, bytes.find("Иванов"));
}

TEST(ContainerFile, WrongPasswordAndEveryFlippedByteFail) {
    std::string bytes = encoded();
    EXPECT_EQ(kErrBadPasswordOrDamaged, decode(bytes, "wrong password"));
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::string b = bytes;
        b[i] = char(b[i] ^ 0x01);
        KResult rc = decode(b);
        EXPECT_TRUE(failed(rc)) << "byte " << i;
    }
}

TEST(ContainerFile, EveryTruncationAndTrailingGarbageFail) {
    std::string bytes = encoded();
    for (size_t n = 0; n < bytes.size(); ++n) EXPECT_TRUE(failed(decode(bytes.substr(0, n)))) << "length " << n;
    EXPECT_EQ(kErrFormat, decode(bytes + "x"));
}

// New files get scrypt N=2^17, r=8, p=1; files written under the earlier
// default (N=2^15) still open.
TEST(ContainerFile, DefaultKdfIsRaisedAndOldFilesStillOpen) {
    const KdfParams def = KdfParams::scrypt();
    EXPECT_EQ(def.id, KdfId::Scrypt);
    EXPECT_EQ(def.p1, 17u);
    EXPECT_EQ(def.p2, 8u);
    EXPECT_EQ(def.p3, 1u);
    EXPECT_TRUE(def.withinBounds());
    std::string old;
    ASSERT_EQ(0u, encodeFile(sampleImage(), kPw, sizeof kPw - 1, KdfParams::scrypt(15, 8, 1), old));
    EXPECT_EQ(0u, decode(old));
}

TEST(ContainerFile, NewerVersionAndForgedKdfAreRefusedBeforeWork) {
    std::string bytes = encoded();
    std::string newer = bytes;
    newer[9] = char(kFormatVersion + 1);
    EXPECT_EQ(kErrVersion, decode(newer));
    // log2(N) = 30 would take gigabytes: refused as damaged, at once.
    std::string forged = bytes;
    forged[12] = forged[13] = forged[14] = 0;
    forged[15] = 30;
    EXPECT_EQ(kErrFormat, decode(forged));
    EXPECT_EQ(kErrFormat, decode(std::string("not a container at all")));
}

TEST(ContainerFile, ContentParserRejectsBrokenRecords) {
    std::string good = serializeContent(sampleImage());
    ContainerImage img;
    auto parse = [&](const std::string& s) {
        return parseContent(reinterpret_cast<const uint8_t*>(s.data()), s.size(), img);
    };
    EXPECT_EQ(0u, parse(good));
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"cut record", good.substr(0, good.size() - 1)},
        {"length beyond end", std::string("\x00\x01\xff\xff\xff\xff", 6)},
        {"no metadata", std::string("\x00\x09\x00\x00\x00\x00", 6)},
        {"number of wrong width", std::string("\x00\x01\x00\x00\x00\x07\x00\x12\x00\x00\x00\x01\x05", 13)},
    };
    for (const Case& c : cases) EXPECT_EQ(kErrFormat, parse(c.bytes)) << c.what;
}

TEST(ContainerFile, KilledBeforeRenameLeavesOldFile) {
    zrxtest::TempDir dir;
    std::string path = dir.file("c.zrx");
    std::string old = encoded();
    ASSERT_EQ(0u, writeFileAtomic(path, old));
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        setBeforeRenameHook([](const char*) { raise(SIGKILL); });
        ContainerImage other = sampleImage();
        other.meta.name = "new";
        std::string bytes;
        encodeFile(other, kPw, sizeof kPw - 1, fastKdf(), bytes);
        writeFileAtomic(path, bytes);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    std::string now;
    ASSERT_EQ(0u, readWholeFile(path, now));
    EXPECT_EQ(old, now);
    EXPECT_EQ(0u, decode(now));
    // A completed write replaces the file.
    std::string next = encoded();
    ASSERT_EQ(0u, writeFileAtomic(path, next));
    ASSERT_EQ(0u, readWholeFile(path, now));
    EXPECT_EQ(next, now);
}

TEST(ContainerFile, PlantedTemporaryLinkIsNotFollowed) {
    zrxtest::TempDir dir;
    std::string victim = dir.file("victim");
    zrxtest::writeFile(victim, "keep me");
    std::string path = dir.file("c.zrx");
    ASSERT_EQ(0, symlink(victim.c_str(), (path + ".tmp" + std::to_string(getpid())).c_str()));
    std::string bytes = encoded();
    ASSERT_EQ(0u, writeFileAtomic(path, bytes));
    EXPECT_EQ("keep me", zrxtest::readFile(victim));
    EXPECT_EQ(bytes, zrxtest::readFile(path));
}

TEST(ContainerFile, MissingFileHasItsOwnCode) {
    std::string out;
    EXPECT_EQ(kErrNoFile, readWholeFile("/nonexistent/dir/c.zrx", out));
}

TEST(ContainerFile, FifoAtThePathDoesNotHangTheReader) {
    zrxtest::TempDir dir;
    std::string path = dir.file("c.zrx");
    ASSERT_EQ(0, mkfifo(path.c_str(), 0600));
    // Run in a child so a blocking open fails the test instead of hanging it.
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        alarm(5);
        std::string out;
        _exit(readWholeFile(path, out) == kErrIo ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "reader hung on a FIFO";
    EXPECT_EQ(0, WEXITSTATUS(status));
}

TEST(ContainerFile, WriterRefusesWhatTheReaderWouldRefuse) {
    // Content just under the size limit: the file with its header and tag
    // would exceed it, so it must not be written at all.
    ContainerImage img = sampleImage();
    img.certs[0].der = "c";
    const size_t base = serializeContent(img).size() - 1;
    img.certs[0].der = std::string(kMaxFileSize - 10 - base, 'c');
    ASSERT_EQ(kMaxFileSize - 10, serializeContent(img).size());
    std::string bytes;
    EXPECT_EQ(kErrInvalidArg, encodeFile(img, kPw, sizeof kPw - 1, fastKdf(), bytes));
    // Somewhat smaller content fits and reads back.
    img.certs[0].der.resize(kMaxFileSize - 1000 - base);
    ASSERT_EQ(0u, encodeFile(img, kPw, sizeof kPw - 1, fastKdf(), bytes));
    EXPECT_LE(bytes.size(), kMaxFileSize);
    EXPECT_EQ(0u, decode(bytes));
}

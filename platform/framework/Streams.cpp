#include "platform/framework/Streams.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

int64_t TStream::Size() {
    const int64_t pos = Position();
    const int64_t end = Seek(0, soEnd);
    Seek(pos, soBeginning);
    return end;
}

void TStream::ReadBuffer(void* Buffer, int64_t Count) {
    if (Count < 0 || Read(Buffer, Count) != Count) throw EReadError("Stream read error");
}

std::vector<uint8_t> TStream::ReadRest() {
    std::vector<uint8_t> out;
    const int64_t left = Size() - Position();
    if (left > 0) out.resize(size_t(left));
    out.resize(size_t(Read(out.data(), int64_t(out.size()))));
    return out;
}

TMemoryStream::TMemoryStream(const void* data, size_t size)
    : FBytes(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size) {}

int64_t TMemoryStream::Read(void* Buffer, int64_t Count) {
    const int64_t n = std::clamp<int64_t>(Size() - FPosition, 0, std::max<int64_t>(Count, 0));
    if (n > 0) std::memcpy(Buffer, FBytes.data() + FPosition, size_t(n));
    FPosition += n;
    return n;
}

int64_t TMemoryStream::Write(const void* Buffer, int64_t Count) {
    if (Count <= 0) return 0;
    if (FPosition + Count > Size()) FBytes.resize(size_t(FPosition + Count));
    std::memcpy(FBytes.data() + FPosition, Buffer, size_t(Count));
    FPosition += Count;
    return Count;
}

int64_t TMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
    const int64_t base = Origin == soBeginning ? 0 : Origin == soCurrent ? FPosition : Size();
    if (base + Offset >= 0) FPosition = base + Offset;
    return FPosition;
}

void TMemoryStream::LoadFromStream(TStream& s) {
    s.SetPosition(0);
    FBytes = s.ReadRest();
    FPosition = 0;
}

TFileStream::TFileStream(const String& FileName, uint16_t Mode) {
    const char* how = Mode == fmCreate ? "w+b" : (Mode & 3) == fmOpenWrite ? "r+b" : "rb";
    FFile = std::fopen(FileName.c_str(), how);
    if (!FFile) throw EFOpenError("Cannot open file \"" + FileName + "\". " + std::strerror(errno));
}

TFileStream::~TFileStream() {
    if (FFile) std::fclose(FFile);
}

int64_t TFileStream::Read(void* Buffer, int64_t Count) {
    return Count > 0 ? int64_t(std::fread(Buffer, 1, size_t(Count), FFile)) : 0;
}

int64_t TFileStream::Write(const void* Buffer, int64_t Count) {
    return Count > 0 ? int64_t(std::fwrite(Buffer, 1, size_t(Count), FFile)) : 0;
}

int64_t TFileStream::Seek(int64_t Offset, TSeekOrigin Origin) {
    const int whence = Origin == soBeginning ? SEEK_SET : Origin == soCurrent ? SEEK_CUR : SEEK_END;
    const int64_t before = ftello(FFile);
    if (fseeko(FFile, off_t(Offset), whence) != 0) fseeko(FFile, off_t(before), SEEK_SET);
    return ftello(FFile);
}

bool FileExists(const String& FileName) {
    struct stat st;
    return ::stat(FileName.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Byte streams of the framework: the abstract stream, one in memory and
// one over a file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/framework/Classes.h"

class EStreamError : public Exception {
    using Exception::Exception;
};
class EFOpenError : public EStreamError {
    using EStreamError::EStreamError;
};
class EReadError : public EStreamError {
    using EStreamError::EStreamError;
};

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream : public TObject {
public:
    // Bytes read (fewer at the end of the stream).
    virtual int64_t Read(void* Buffer, int64_t Count) = 0;
    virtual int64_t Write(const void* Buffer, int64_t Count) = 0;
    // The new position; a position before the start is refused (the old one stays).
    virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;
    int64_t Position() { return Seek(0, soCurrent); }
    void SetPosition(int64_t p) { Seek(p, soBeginning); }
    virtual int64_t Size();
    // Exactly Count bytes or EReadError.
    void ReadBuffer(void* Buffer, int64_t Count);
    // Everything from the current position on.
    std::vector<uint8_t> ReadRest();
};

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<uint8_t> bytes) : FBytes(std::move(bytes)) {}
    TMemoryStream(const void* data, size_t size);
    int64_t Read(void* Buffer, int64_t Count) override;
    int64_t Write(const void* Buffer, int64_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    int64_t Size() override { return int64_t(FBytes.size()); }
    const std::vector<uint8_t>& Bytes() const { return FBytes; }
    void LoadFromStream(TStream& s);

private:
    std::vector<uint8_t> FBytes;
    int64_t FPosition = 0;
};

constexpr uint16_t fmOpenRead = 0x0000, fmOpenWrite = 0x0001, fmCreate = 0xFF00, fmShareDenyWrite = 0x0020;

// A file opened for reading (fmOpenRead) or created (fmCreate).
class TFileStream : public TStream {
public:
    TFileStream(const String& FileName, uint16_t Mode);  // EFOpenError when it cannot be opened
    ~TFileStream() override;
    int64_t Read(void* Buffer, int64_t Count) override;
    int64_t Write(const void* Buffer, int64_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;

private:
    std::FILE* FFile = nullptr;
};

bool FileExists(const String& FileName);

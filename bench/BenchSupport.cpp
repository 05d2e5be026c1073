#include "bench/BenchSupport.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "archive/ArchiveFormat.h"
#include "archive/Archiver.h"
#include "codecs/CodecState.h"
#include "codecs/Coders.h"
#include "codecs/Decoders.h"
#include "codecs/Encoders.h"
#include "tests/support/TestData.h"

namespace {

void RunCoder(void (*coder)(TCodecState&), TStream& source, int64_t size, TStream& dest)
{
    TCodecState codec;
    codec.BeginChannel(source, dest, static_cast<int32_t>(size), false);
    coder(codec);
    codec.FlushOutput();
    codec.EndChannel();
}

int64_t ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atoll(line.c_str() + 6);
    return 0;
}

// An endless text, repeating one generated megabyte, up to a set size.
class TTextSource : public TStream {
public:
    explicit TTextSource(int64_t size) : FText(MakeText(1 << 20, 9)), FSize(size) {}
    int32_t Read(void* buffer, int32_t count) override
    {
        int32_t done = 0;
        auto* out = static_cast<uint8_t*>(buffer);
        while (done < count && FPosition < FSize) {
            const size_t at = static_cast<size_t>(FPosition % static_cast<int64_t>(FText.size()));
            const int64_t n = std::min<int64_t>({count - done, static_cast<int64_t>(FText.size() - at), FSize - FPosition});
            std::memcpy(out + done, FText.data() + at, static_cast<size_t>(n));
            done += static_cast<int32_t>(n);
            FPosition += n;
        }
        return done;
    }
    int32_t Write(const void*, int32_t) override { return 0; }
    int64_t Seek(int64_t offset, TSeekOrigin origin) override
    {
        FPosition = (origin == TSeekOrigin::soBeginning ? 0 : origin == TSeekOrigin::soCurrent ? FPosition : FSize) + offset;
        return FPosition;
    }
    void SetSize(int64_t) override {}

private:
    std::vector<uint8_t> FText;
    int64_t FSize;
    int64_t FPosition = 0;
};

void AppendEntry(std::vector<uint8_t>& archive, const std::string& name, const std::vector<uint8_t>& data,
                 uint8_t method)
{
    const std::vector<uint8_t> coded = EncodeForBench(method, data);
    TEntryHeader r;
    r.NameLength = static_cast<int16_t>(name.size());
    r.Attributes = 0x20;
    r.ExpandedSize = static_cast<int32_t>(data.size());
    r.StoredSize = static_cast<int32_t>(coded.size());
    r.MethodIndex = method;
    r.Checksum = ByteSum(data.data(), data.size());
    const auto bytes = r.Pack();
    archive.insert(archive.end(), bytes.begin(), bytes.end());
    archive.insert(archive.end(), name.begin(), name.end());
    archive.insert(archive.end(), coded.begin(), coded.end());
}

} // namespace

std::vector<uint8_t> EncodeForBench(uint8_t method, const std::vector<uint8_t>& input)
{
    if (method == MethodStored)
        return input;
    TReadOnlyMemoryStream source(input.data(), static_cast<int64_t>(input.size()));
    TMemoryStream dest;
    RunCoder(StandardCoders().Compress[method], source, static_cast<int64_t>(input.size()), dest);
    return dest.Bytes();
}

std::vector<uint8_t> MakeBenchArchive(uint8_t method)
{
    TArchiveHeader header;
    std::memcpy(header.CompressID, CompressIDs[method], 3);
    std::vector<uint8_t> archive(ArchiveHeaderSize);
    int32_t total = 0;
    const std::vector<std::pair<std::string, std::vector<uint8_t>>> files = {
        {"ZarnFTP.exe", MakeBinary(1500000, 11)}, {"ZarnFTP.HLP", MakeText(600000, 12)},
        {"README.TXT", MakeText(20000, 13)},      {"SITES.INI", MakeText(2000, 14)},
        {"unzarn.exe", MakeBinary(90000, 15)},    {"whatsnew.txt", MakeText(8000, 16)}};
    for (const auto& [name, data] : files) {
        AppendEntry(archive, name, data, method);
        total += static_cast<int32_t>(data.size());
    }
    header.TotalSize = total;
    const auto bytes = header.Pack();
    std::memcpy(archive.data(), bytes.data(), ArchiveHeaderSize);
    return archive;
}

double MeasureLargeEntryExpansion(int64_t size)
{
    TFileSystem& native = NativeFileSystem();
    const std::string path = (std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + std::string("/zarn_bench_large.lzh");
    {
        TTextSource source(size);
        auto file = native.CreateAlways(path);
        RunCoder(&CompressLZH, source, size, *file);
    }
    const int64_t before = ResidentKiB();
    int64_t peak = before;
    {
        auto file = native.OpenRead(path);
        const int64_t storedSize = file->Size();
        TArchiver comp;
        comp.OnShowProgress = [&](int32_t&) { peak = std::max(peak, ResidentKiB()); };
        TDiscardStream dest;
        uint32_t checksum = 0;
        comp.RunCodec(dest, *file, static_cast<int32_t>(storedSize), static_cast<int32_t>(size), MethodLZH, checksum,
                      TCodecDirection::cdExpand, false);
    }
    native.RemoveFile(path);
    return static_cast<double>(peak - before) / 1024.0;
}

std::string WriteBenchFile(const std::vector<uint8_t>& data, const std::string& name)
{
    const char* dir = std::getenv("TMPDIR");
    const std::string path = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    return out ? path : std::string();
}

int64_t GzipCompressedSize(const std::string& path)
{
    const std::string command = "gzip -6 -c '" + path + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return -1;
    char buffer[65536];
    int64_t total = 0;
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        total += static_cast<int64_t>(n);
    return pclose(pipe) == 0 ? total : -1;
}

#include "tests/testutil.h"

#include <stdlib.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

ScratchDir::ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "l2q-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern + "/";
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string LapBytes(const std::vector<TPosDtRec>& records) {
    std::string bytes(records.size() * kLapRecordSize, '\0');
    for (std::size_t k = 0; k < records.size(); ++k)
        EncodeLapRecord(records[k],
                        reinterpret_cast<unsigned char*>(bytes.data()) + k * kLapRecordSize);
    return bytes;
}

TPosDtRec Sample(TDateTime dateTime, Extended lat, Extended lon, Extended speed,
                 Extended elapsedSec, Extended heading) {
    TPosDtRec r;
    r.DateTime = dateTime;
    r.Lat = lat;
    r.Lon = lon;
    r.Speed = speed;
    r.ElapsedSec = elapsedSec;
    r.Elapsed = static_cast<double>(elapsedSec / 86400);
    r.Heading = heading;
    return r;
}

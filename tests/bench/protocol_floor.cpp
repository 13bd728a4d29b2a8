// The least work the access server's protocol asks of any client for one credentials POST, as a
// yardstick for scripts/bench: per POST a fresh raw deflate of the INI text, the one-entry ZIP
// around it, a multipart body with a boundary from the clock, one write of the request, and reads
// until the answer's length is complete. Nothing else: no parsing beyond the answer's length, no
// printing. The request is byte for byte the shape the tray program sends (the same head lines,
// part head and archive layout), so both put the same number of bytes on the wire.
//
//   vq_protocol_floor COUNT INI_FILE HOST PORT
//
// makes COUNT POSTs to http://HOST:PORT/kvr.php on one kept-alive connection and exits 0 when
// every answer was a complete 200.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace {

void Put16(std::string& out, unsigned value) {
    out.push_back(char(value & 0xFF));
    out.push_back(char((value >> 8) & 0xFF));
}

void Put32(std::string& out, unsigned long value) {
    Put16(out, unsigned(value & 0xFFFF));
    Put16(out, unsigned((value >> 16) & 0xFFFF));
}

struct Moment {
    std::tm local;
    int millisecond;
};

Moment Now() {
    timeval now{};
    gettimeofday(&now, nullptr);
    Moment moment{};
    const time_t seconds = now.tv_sec;
    localtime_r(&seconds, &moment.local);
    moment.millisecond = int(now.tv_usec / 1000);
    return moment;
}

// The fields the local header and the central directory share: version needed, flags, deflate,
// DOS time and date, CRC, sizes, the name's length and no extra field.
void PutEntryFields(std::string& out, unsigned dos_time, unsigned dos_date, unsigned long crc,
                    std::size_t packed_size, std::size_t plain_size) {
    Put16(out, 20);
    Put16(out, 0);
    Put16(out, 8);
    Put16(out, dos_time);
    Put16(out, dos_date);
    Put32(out, crc);
    Put32(out, packed_size);
    Put32(out, plain_size);
    Put16(out, 3);
    Put16(out, 0);
}

// The one-entry archive "dta": local header, the deflated text, central directory, end record.
void AppendZip(std::string& out, const Moment& at, unsigned long crc, std::string_view deflated,
               std::size_t plain_size) {
    const unsigned dos_time =
        unsigned(at.local.tm_hour << 11 | at.local.tm_min << 5 | at.local.tm_sec / 2);
    const unsigned dos_date =
        unsigned((at.local.tm_year - 80) << 9 | (at.local.tm_mon + 1) << 5 | at.local.tm_mday);
    const std::size_t start = out.size();
    Put32(out, 0x04034B50);
    PutEntryFields(out, dos_time, dos_date, crc, deflated.size(), plain_size);
    out.append("dta");
    out.append(deflated);
    const std::size_t central = out.size();
    Put32(out, 0x02014B50);
    Put16(out, 20);  // made by
    PutEntryFields(out, dos_time, dos_date, crc, deflated.size(), plain_size);
    Put16(out, 0);  // comment
    Put16(out, 0);  // disk
    Put16(out, 0);  // internal attributes
    Put32(out, 0);  // external attributes
    Put32(out, 0);  // local header's offset
    out.append("dta");
    const std::size_t end = out.size();
    Put32(out, 0x06054B50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, 1);
    Put32(out, end - central);
    Put32(out, central - start);
    Put16(out, 0);
}

// Reads one answer: up to the end of its head, then until Content-Length bytes of body are in.
bool ReadAnswer(int socket, std::string& buffer) {
    buffer.clear();
    std::size_t body_start = std::string::npos;
    std::size_t length = 0;
    char chunk[16384];
    for (;;) {
        if (body_start != std::string::npos && buffer.size() - body_start >= length)
            return buffer.compare(0, 12, "HTTP/1.1 200") == 0;
        const ssize_t got = recv(socket, chunk, sizeof chunk, 0);
        if (got <= 0) return false;
        buffer.append(chunk, std::size_t(got));
        if (body_start == std::string::npos) {
            const std::size_t head_end = buffer.find("\r\n\r\n");
            if (head_end == std::string::npos) continue;
            body_start = head_end + 4;
            const std::size_t field = buffer.find("Content-Length: ");
            if (field == std::string::npos || field > head_end) return false;
            length = std::strtoul(buffer.c_str() + field + 16, nullptr, 10);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: vq_protocol_floor COUNT INI_FILE HOST PORT\n");
        return 2;
    }
    const long count = std::atol(argv[1]);
    std::ifstream file(argv[2], std::ios::binary);
    const std::string host = argv[3];
    const int port = std::atoi(argv[4]);
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (!file && !file.eof()) return 2;

    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(std::uint16_t(port));
    if (inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1 ||
        connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        std::perror("connect");
        return 1;
    }

    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) !=
        Z_OK)
        return 1;
    std::string deflated(deflateBound(&stream, uLong(text.size())), '\0');
    std::string body, request, answer;
    const std::string host_line = host + ":" + std::to_string(port);

    for (long i = 0; i < count; ++i) {
        deflateReset(&stream);
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
        stream.avail_in = uInt(text.size());
        stream.next_out = reinterpret_cast<Bytef*>(deflated.data());
        stream.avail_out = uInt(deflated.size());
        if (deflate(&stream, Z_FINISH) != Z_STREAM_END) return 1;
        const std::string_view packed(deflated.data(), stream.total_out);
        const unsigned long crc =
            crc32(0, reinterpret_cast<const Bytef*>(text.data()), uInt(text.size()));

        const Moment at = Now();
        char boundary[64];
        std::snprintf(boundary, sizeof boundary, "--------%02d%02d%02d%02d%02d%02d%03d",
                      (at.local.tm_mon + 1) % 100, at.local.tm_mday % 100, at.local.tm_year % 100,
                      at.local.tm_hour % 100, at.local.tm_min % 100, at.local.tm_sec % 100,
                      at.millisecond % 1000);
        body.clear();
        body.append("--").append(boundary).append(
            "\r\nContent-Disposition: form-data; name=\"dta\"; filename=\"dta\"\r\n"
            "Content-Type: application/octet-stream; charset=\"utf-8\"\r\n"
            "Content-Transfer-Encoding: binary\r\n\r\n");
        AppendZip(body, at, crc, packed, text.size());
        body.append("\r\n--").append(boundary).append("--\r\n");

        request.clear();
        request
            .append(
                "POST /kvr.php HTTP/1.0\r\nConnection: keep-alive\r\n"
                "Content-Type: multipart/form-data; boundary=")
            .append(boundary)
            .append("\r\nContent-Length: ")
            .append(std::to_string(body.size()))
            .append("\r\nHost: ")
            .append(host_line)
            .append(
                "\r\nAccept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8"
                "\r\nAccept-Encoding: identity\r\n"
                "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n\r\n")
            .append(body);
        if (send(socket, request.data(), request.size(), MSG_NOSIGNAL) != ssize_t(request.size()))
            return 1;
        if (!ReadAnswer(socket, answer)) return 1;
    }
    deflateEnd(&stream);
    close(socket);
    return 0;
}

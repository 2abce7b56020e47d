// The clients of bench/api_load_bench.sh: each keeps one connection to the host's API and sends
// its requests at a fixed rate, timing each from the first byte sent to the last byte of the
// answer read.
//
//   api_load_client PORT TOKEN SECONDS RATE FILE...
//
// One client (a thread) per FILE, RATE requests a second in all. A FILE lists the requests the
// client cycles through, one a line: "PATH" for a POST without a body or "PATH<TAB>BODY" for a
// POST of BODY (JSON). Prints a line "STATUS SECONDS PATH" per request, as curl's
// --write-out "%{http_code} %{time_total} %{url}" would (STATUS 0: no answer).
//
// A small client rather than curl: curl's own work around each request (its configuration,
// the output file it opens and closes, its signal handlers) measured about a quarter of a
// millisecond against a server that only answers, which is as much as the API itself adds.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Request {
  std::string path;
  std::string bytes;  // the whole request, made once
};

int64_t nowNs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

void sleepUntil(int64_t ns) {
  const timespec t{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr) == EINTR) {
  }
}

int connectTo(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

bool sendAll(int fd, const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

struct Answer {
  int status = 0;
  bool close = false;
};

// Reads one answer; nullopt when the connection failed or ended first.
std::optional<Answer> readAnswer(int fd, std::string& buffer) {
  size_t headEnd = std::string::npos;
  char chunk[16384];
  auto fill = [&] {
    ssize_t n;
    do {
      n = ::recv(fd, chunk, sizeof chunk, 0);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) return false;
    buffer.append(chunk, static_cast<size_t>(n));
    return true;
  };
  while ((headEnd = buffer.find("\r\n\r\n")) == std::string::npos) {
    if (!fill()) return std::nullopt;
  }
  Answer answer;
  if (buffer.compare(0, 9, "HTTP/1.1 ") == 0) answer.status = std::atoi(buffer.c_str() + 9);
  size_t length = 0;
  for (size_t line = buffer.find("\r\n") + 2; line < headEnd;) {
    const size_t end = buffer.find("\r\n", line);
    const std::string header = buffer.substr(line, end - line);
    if (strncasecmp(header.c_str(), "Content-Length:", 15) == 0) {
      length = std::strtoul(header.c_str() + 15, nullptr, 10);
    } else if (strncasecmp(header.c_str(), "Connection:", 11) == 0 &&
               header.find("close") != std::string::npos) {
      answer.close = true;
    }
    line = end + 2;
  }
  if (answer.status == 304 || answer.status / 100 == 1) length = 0;
  while (buffer.size() < headEnd + 4 + length) {
    if (!fill()) return std::nullopt;
  }
  buffer.erase(0, headEnd + 4 + length);
  return answer;
}

// The cycle of a client's FILE, each request made ready to send to PORT with TOKEN.
std::vector<Request> readRequests(const char* file, int port, const std::string& token) {
  std::ifstream in(file);
  std::vector<Request> requests;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    const size_t tab = line.find('\t');
    Request request{line.substr(0, tab), ""};
    const std::string body = tab == std::string::npos ? "" : line.substr(tab + 1);
    request.bytes = "POST " + request.path +
                    " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                    "\r\nAuthorization: Bearer " + token + "\r\nAccept: */*\r\n";
    if (!body.empty()) {
      request.bytes +=
          "Content-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) +
          "\r\n";
    }
    request.bytes += "\r\n" + body;
    requests.push_back(std::move(request));
  }
  return requests;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 6) {
    std::fprintf(stderr, "usage: api_load_client PORT TOKEN SECONDS RATE FILE...\n");
    return 2;
  }
  const int port = std::atoi(argv[1]);
  const std::string token = argv[2];
  const int seconds = std::atoi(argv[3]);
  const int rate = std::atoi(argv[4]);
  const int clients = argc - 5;
  if (port <= 0 || seconds <= 0 || rate < clients) {
    std::fprintf(stderr, "api_load_client: a port, seconds and a rate of at least one a client\n");
    return 2;
  }
  const int each = rate / clients;
  const int64_t period = 1000000000 / each;
  std::mutex out;
  std::vector<std::thread> threads;
  const int64_t start = nowNs() + 10000000;
  for (int c = 0; c < clients; ++c) {
    std::vector<Request> cycle = readRequests(argv[5 + c], port, token);
    if (cycle.empty()) {
      std::fprintf(stderr, "api_load_client: %s lists no request\n", argv[5 + c]);
      return 2;
    }
    // Spread over one period, as independent clients are: started together they would send in
    // lockstep.
    const int64_t first = start + period * c / clients;
    threads.emplace_back([&, cycle = std::move(cycle), first] {
      int fd = -1;
      std::string buffer;
      std::vector<std::string> lines;
      for (int i = 0; i < each * seconds; ++i) {
        const Request& request = cycle[static_cast<size_t>(i) % cycle.size()];
        sleepUntil(first + period * i);
        const int64_t sent = nowNs();
        if (fd < 0) {
          fd = connectTo(port);
          buffer.clear();
        }
        std::optional<Answer> answer;
        if (fd >= 0 && sendAll(fd, request.bytes)) answer = readAnswer(fd, buffer);
        const int64_t done = nowNs();
        if (!answer || answer->close) {
          if (fd >= 0) ::close(fd);
          fd = -1;
        }
        char line[512];
        std::snprintf(line, sizeof line, "%d %.6f %s", answer ? answer->status : 0,
                      static_cast<double>(done - sent) / 1e9, request.path.c_str());
        lines.emplace_back(line);
      }
      if (fd >= 0) ::close(fd);
      const std::lock_guard lock(out);
      for (const std::string& line : lines) std::printf("%s\n", line.c_str());
    });
  }
  for (std::thread& thread : threads) thread.join();
  return 0;
}

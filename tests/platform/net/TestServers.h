#pragma once
// Servers on 127.0.0.1 for HTTP client tests: a cpp-httplib server on a free
// port, and a raw TCP server that misbehaves on purpose (closes without a
// reply, or never answers).
#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zrxtest {

class HttpServer {
public:
    httplib::Server svr;

    // Call after the handlers are set.
    void start() {
        port_ = svr.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { svr.listen_after_bind(); });
        // A stop() before the loop runs would be lost and the join would hang.
        while (port_ > 0 && !svr.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~HttpServer() {
        svr.stop();
        if (thread_.joinable()) thread_.join();
    }
    int port() const { return port_; }
    std::string url(const std::string& path = "/") const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

private:
    int port_ = 0;
    std::thread thread_;
};

class RawServer {
public:
    // CloseAfterRequest: closes each connection once a request is read.
    // Stall: keeps connections open and never answers.
    // CannedReply: sends the given bytes as the reply, then closes.
    // KeepAliveThenClose: answers the first request of a connection (kept
    // alive), closes it after reading the next one.
    // Trickle: answers with a head, then one body byte every 300 ms.
    enum Mode { CloseAfterRequest, Stall, CannedReply, KeepAliveThenClose, Trickle };

    // Sends the given bytes as the reply to every request, then closes.
    explicit RawServer(std::string reply) : RawServer(CannedReply) { reply_ = std::move(reply); }

    explicit RawServer(Mode mode) : mode_(mode) {
        listen_ = ::socket(AF_INET, SOCK_STREAM, 0);
        int one = 1;
        setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(listen_, 8);
        socklen_t len = sizeof a;
        getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] { run(); });
    }
    ~RawServer() {
        stop_ = true;
        thread_.join();
        for (int s : held_) ::close(s);
        ::close(listen_);
    }
    int port() const { return port_; }
    std::string url(const std::string& path = "/") const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
    int connections() const { return connections_; }
    int requests() const { return requests_; }

private:
    void run() {
        while (!stop_) {
            pollfd p{listen_, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) continue;
            int s = ::accept(listen_, nullptr, nullptr);
            if (s < 0) continue;
            ++connections_;
            if (mode_ == KeepAliveThenClose) {
                if (readRequest(s)) {
                    static const char reply[] = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";
                    ::send(s, reply, sizeof reply - 1, MSG_NOSIGNAL);
                    readRequest(s);
                }
                ::close(s);
                continue;
            }
            // Read the request before acting on it.
            readRequest(s);
            if (mode_ == CannedReply) {
                std::string r;
                {
                    std::lock_guard<std::mutex> g(replyLock_);
                    r = reply_;
                }
                for (size_t at = 0; at < r.size();) {
                    const ssize_t n = ::send(s, r.data() + at, r.size() - at, MSG_NOSIGNAL);
                    if (n <= 0) break;
                    at += size_t(n);
                }
                ::close(s);
            } else if (mode_ == CloseAfterRequest) {
                ::close(s);
            } else if (mode_ == Trickle) {
                static const char head[] = "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n";
                ::send(s, head, sizeof head - 1, MSG_NOSIGNAL);
                for (int i = 0; i < 1000 && !stop_; ++i) {
                    if (::send(s, "x", 1, MSG_NOSIGNAL) != 1) break;
                    for (int w = 0; w < 6 && !stop_; ++w) std::this_thread::sleep_for(std::chrono::milliseconds(50));
                }
                ::close(s);
            } else {
                held_.push_back(s);
            }
        }
    }

    // Reads one request (head and a Content-Length body); false when the
    // connection ends first.
    bool readRequest(int s) {
        std::string got;
        char buf[4096];
        size_t need = std::string::npos;
        while (!stop_) {
            const size_t head = got.find("\r\n\r\n");
            if (head != std::string::npos && need == std::string::npos) {
                need = head + 4;
                const size_t cl = got.find("Content-Length:");
                if (cl != std::string::npos && cl < head) need += std::stoul(got.substr(cl + 15));
            }
            if (need != std::string::npos && got.size() >= need) {
                ++requests_;
                return true;
            }
            pollfd q{s, POLLIN, 0};
            if (poll(&q, 1, 50) <= 0) continue;
            ssize_t n = ::recv(s, buf, sizeof buf, 0);
            if (n <= 0) return false;
            got.append(buf, size_t(n));
        }
        return false;
    }

    Mode mode_;
    std::string reply_;
    std::mutex replyLock_;
    int listen_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    std::atomic<int> requests_{0};
    std::vector<int> held_;
    std::thread thread_;
};

// A port on 127.0.0.1 on which nothing listens.
inline int refusedPort() {
    int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(s);
    return ntohs(a.sin_port);
}

}  // namespace zrxtest

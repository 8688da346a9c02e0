#include "shell/live_server.h"

#include <QHttpServerRequest>
#include <QNetworkInterface>
#include <QTcpServer>
#include <QTcpSocket>

#include "analysis/results_pages.h"
#include "analysis/results_tables.h"

namespace velkaro {

namespace {

constexpr int kMostConnections = 256;
constexpr qint64 kIdleMs = 10000;  // a connection with no request for this long is closed
constexpr int kPublishMs = 20;
constexpr qint64 kTablesMs = 5000;
constexpr char kSeen[] = "velkaroSeen";
constexpr char kFeed[] = "velkaroFeed";
constexpr char kPending[] = "velkaroPending";  // bytes received since the last whole request
constexpr qint64 kMostRequestBytes = 16 * 1024;

const char* StatusText(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 400:
            return "Bad Request";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 429:
            return "Too Many Requests";
        case 431:
            return "Request Header Fields Too Large";
        default:
            return "Error";
    }
}

}  // namespace

// Refuses a connection beyond the client's share or the server's, before any byte is read.
class LiveGate final : public QTcpServer {
  public:
    explicit LiveGate(const QElapsedTimer& uptime, QObject* parent)
        : QTcpServer(parent), uptime_(uptime) {}
    ~LiveGate() override {
        for (QTcpSocket* s : findChildren<QTcpSocket*>()) s->disconnect(this);
    }
    int Open() const { return total_; }

  protected:
    void incomingConnection(qintptr descriptor) override {
        auto* socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        QString peer = socket->peerAddress().toString();
        int& mine = perPeer_[peer];
        if (total_ >= kMostConnections || mine >= kConnectionsPerClient) {
            socket->abort();
            socket->deleteLater();
            return;
        }
        ++mine;
        ++total_;
        socket->setProperty(kSeen, uptime_.elapsed());
        // Connected before the server's own reader: a request that grows past the limit is cut
        // before its bytes are parsed or kept.
        connect(socket, &QTcpSocket::readyRead, this, [socket] {
            qint64 pending = socket->property(kPending).toLongLong() + socket->bytesAvailable();
            socket->setProperty(kPending, pending);
            if (pending > kMostRequestBytes) socket->abort();
        });
        connect(socket, &QObject::destroyed, this, [this, peer] {
            --total_;
            if (--perPeer_[peer] <= 0) perPeer_.remove(peer);
        });
        addPendingConnection(socket);
    }

  private:
    const QElapsedTimer& uptime_;
    QHash<QString, int> perPeer_;
    int total_ = 0;
};

LiveServer::LiveServer(const RunEngine& engine, QObject* parent)
    : QAbstractHttpServer(parent), engine_(engine) {
    uptime_.start();
    publishTimer_.setInterval(kPublishMs);
    connect(&publishTimer_, &QTimer::timeout, this, &LiveServer::Publish);
    sweepTimer_.setInterval(1000);
    connect(&sweepTimer_, &QTimer::timeout, this, &LiveServer::Sweep);
}

LiveServer::~LiveServer() {
    Stop();
}

bool LiveServer::Start(quint16 port, const QHostAddress& address) {
    Stop();
    auto* gate = new LiveGate(uptime_, this);
    if (!gate->listen(address, port)) {
        delete gate;
        return false;
    }
    gate_ = gate;
    bind(gate_);
    publishTimer_.start();
    sweepTimer_.start();
    return true;
}

void LiveServer::Stop() {
    publishTimer_.stop();
    sweepTimer_.stop();
    feeds_.clear();
    windows_.clear();
    if (gate_ == nullptr) return;
    gate_->close();
    for (QTcpSocket* s : gate_->findChildren<QTcpSocket*>()) s->abort();
    delete gate_;
    gate_ = nullptr;
}

bool LiveServer::Listening() const {
    return gate_ != nullptr && gate_->isListening();
}

quint16 LiveServer::Port() const {
    return gate_ != nullptr ? gate_->serverPort() : 0;
}

QString LiveServer::Address() const {
    if (!Listening()) return {};
    QHostAddress host = gate_->serverAddress();
    if (host == QHostAddress::Any || host == QHostAddress::AnyIPv4) {
        host = QHostAddress::LocalHost;
        for (const QHostAddress& a : QNetworkInterface::allAddresses()) {
            if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback()) {
                host = a;
                break;
            }
        }
    }
    return QString::fromStdString(LiveAddress(host.toString().toStdString(), Port()));
}

int LiveServer::FeedClients() const {
    int n = 0;
    for (const auto& s : feeds_) n += !s.isNull() && s->state() == QAbstractSocket::ConnectedState;
    return n;
}

int LiveServer::Connections() const {
    return gate_ != nullptr ? gate_->Open() : 0;
}

void LiveServer::Send(QTcpSocket* socket, const QByteArray& bytes) {
    socket->write(bytes);
    // Whatever the client has not taken stays queued; past the limit it has stopped reading.
    if (socket->bytesToWrite() > kMostUnsentBytes) socket->abort();
}

void LiveServer::Reply(QTcpSocket* socket, int status, const char* type, const std::string& body) {
    QByteArray head = QByteArray("HTTP/1.1 ") + QByteArray::number(status) + ' ' +
                      StatusText(status) + "\r\nContent-Type: " + type +
                      "\r\nContent-Length: " + QByteArray::number(qsizetype(body.size())) +
                      "\r\nCache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\n"
                      "Content-Security-Policy: default-src 'none'; script-src 'unsafe-inline'; "
                      "style-src 'unsafe-inline'; connect-src 'self'\r\n";
    if (status != 200) head += "Connection: close\r\n";
    head += "\r\n";
    Send(socket, head + QByteArray(body.data(), qsizetype(body.size())));
    if (status != 200 && socket->state() == QAbstractSocket::ConnectedState) {
        socket->disconnectFromHost();
    }
}

bool LiveServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
    socket->setProperty(kSeen, uptime_.elapsed());
    socket->setProperty(kPending, 0);
    QString peer = socket->peerAddress().toString();
    if (windows_.size() > 4 * kMostConnections) windows_.clear();
    if (!RequestAllowed(windows_[peer], static_cast<std::uint32_t>(uptime_.elapsed()))) {
        Reply(socket, 429, "text/plain", "Too many requests\n");
        return true;
    }
    if (request.headers().size() > kMostHeaders) {
        Reply(socket, 431, "text/plain", "Refused\n");
        return true;
    }
    const char* method = request.method() == QHttpServerRequest::Method::Get ? "GET" : "OTHER";
    QUrl url = request.url();
    std::string target = url.path(QUrl::FullyEncoded).toStdString();
    if (url.hasQuery() || url.hasFragment()) target += '?';
    LiveRoute route = RouteOf(method, target);
    switch (route.target) {
        case LiveTarget::Page:
            Reply(socket, 200, "text/html; charset=utf-8", std::string(LivePageHtml()));
            return true;
        case LiveTarget::Order:
            Reply(socket, 200, "application/json", LiveOrderJson(engine_, sequence_));
            return true;
        case LiveTarget::Deck:
            Reply(socket, 200, "application/json", DeckJson());
            return true;
        case LiveTarget::Feed:
            OpenFeed(socket);
            return true;
        case LiveTarget::ResultList:
        case LiveTarget::Result: {
            int status = 200;
            std::string page = ResultsPage(route, status);
            Reply(socket, status, "text/html; charset=utf-8", page);
            return true;
        }
        case LiveTarget::Refused:
            Reply(socket, request.method() == QHttpServerRequest::Method::Get ? 400 : 405,
                  "text/plain", "Refused\n");
            return true;
        case LiveTarget::NotFound:
            break;
    }
    Reply(socket, 404, "text/plain", "Not found\n");
    return true;
}

void LiveServer::missingHandler(const QHttpServerRequest&, QTcpSocket* socket) {
    Reply(socket, 404, "text/plain", "Not found\n");
}

void LiveServer::OpenFeed(QTcpSocket* socket) {
    if (socket->property(kFeed).toBool()) return;
    socket->setProperty(kFeed, true);
    feeds_.append(socket);
    if (lastMessage_.isEmpty()) lastMessage_ = QByteArray::fromStdString(Message());
    Send(socket, QByteArray("HTTP/1.1 200 OK\r\nContent-Type: text/event-stream\r\n"
                            "Cache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\n\r\n"
                            "retry: 1000\n\n") +
                     lastMessage_);
}

const std::string& LiveServer::DeckJson() {
    std::int32_t node = engine_.kind == RunKind::Heat ? engine_.nodeCode : 0;
    if (node != deckNode_) {
        deckNode_ = node;
        deck_ = node == 0 ? "[]"
                          : OnDeckJson(NextHeats(engine_.category, engine_.round, engine_.heat,
                                                 *engine_.disk));
    }
    return deck_;
}

std::string LiveServer::Message() {
    return "data: {\"live\":" + LiveOrderJson(engine_, sequence_) + ",\"deck\":" + DeckJson() +
           "}\n\n";
}

void LiveServer::Publish() {
    std::string order = LiveOrderJson(engine_, 0);
    if (order == lastOrder_ && !lastMessage_.isEmpty()) return;
    lastOrder_ = std::move(order);
    ++sequence_;
    lastMessage_ = QByteArray::fromStdString(Message());
    feeds_.removeIf([](const QPointer<QTcpSocket>& s) {
        return s.isNull() || s->state() != QAbstractSocket::ConnectedState;
    });
    for (const auto& s : feeds_) {
        if (s->state() == QAbstractSocket::ConnectedState) Send(s, lastMessage_);
    }
}

void LiveServer::Sweep() {
    if (gate_ == nullptr) return;
    qint64 now = uptime_.elapsed();
    for (QTcpSocket* s : gate_->findChildren<QTcpSocket*>()) {
        if (s->property(kFeed).toBool()) {
            // A feed that stopped reading is caught on the next message; this catches it when
            // nothing moves.
            if (s->bytesToWrite() > kMostUnsentBytes) s->abort();
            continue;
        }
        if (now - s->property(kSeen).toLongLong() > kIdleMs) s->abort();
    }
}

std::string LiveServer::ResultsPage(const LiveRoute& route, int& status) {
    qint64 now = uptime_.elapsed();
    if (tablesRead_ < 0 || now - tablesRead_ > kTablesMs) {
        tablesRead_ = now;
        Disk& disk = *engine_.disk;
        event_ = {};
        eventRead_ = results::ReadEvent(disk, event_);
        tables_ =
            eventRead_ ? results::AllTables(event_, disk) : std::vector<results::CategoryTables>{};
    }
    if (!eventRead_) {
        status = 404;
        return "No event\n";
    }
    const results::Event& event = event_;
    const std::vector<results::CategoryTables>& all = tables_;
    if (route.target == LiveTarget::ResultList) {
        std::string body;
        for (const results::CategoryTables& c : all) {
            body += "<h2>" + results::HtmlEscape(c.name) + "</h2>\n<ul>\n";
            for (const results::Table& t : c.tables) {
                body += "<li><a href=\"/results/" + results::HtmlEscape(t.id) + "\">" +
                        results::HtmlEscape(t.title) + "</a></li>\n";
            }
            body += "</ul>\n";
        }
        return results::HtmlPage(event, "Results", "<nav><a href=\"/\">Live</a></nav>\n" + body);
    }
    for (const results::CategoryTables& c : all) {
        for (const results::Table& t : c.tables) {
            if (t.id == route.tableId) {
                return results::HtmlPage(
                    event, t.title,
                    "<nav><a href=\"/results\">Results</a></nav>\n" + results::HtmlTable(t));
            }
        }
    }
    status = 404;
    return "Not found\n";
}

}  // namespace velkaro

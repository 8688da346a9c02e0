#pragma once

#include <QAbstractHttpServer>
#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <string>

#include "analysis/results_tables.h"
#include "timing/live_page.h"

class QTcpSocket;

namespace velkaro {

class LiveGate;

// The live page on the local network: the page, its feed of the running order, the heats on
// deck and the stored results, read-only. It lives in the program's event loop beside the tick,
// so every write is queued and never waited for: a client that stops reading is dropped.
class LiveServer final : public QAbstractHttpServer {
    Q_OBJECT
  public:
    explicit LiveServer(const RunEngine& engine, QObject* parent = nullptr);
    ~LiveServer() override;

    // Opens the port (0: any free one); false, with the port closed, when it cannot be had.
    bool Start(quint16 port, const QHostAddress& address = QHostAddress::Any);
    // Closes the port and every client.
    void Stop();
    bool Listening() const;
    quint16 Port() const;
    // "http://address:port/" with the machine's address on the local network.
    QString Address() const;
    int FeedClients() const;
    int Connections() const;

    // Sends the order to the feed when it moved; the server's own timer calls it.
    void Publish();

  protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

  private:
    void Reply(QTcpSocket* socket, int status, const char* type, const std::string& body);
    void OpenFeed(QTcpSocket* socket);
    void Send(QTcpSocket* socket, const QByteArray& bytes);
    void Sweep();
    std::string Message();
    const std::string& DeckJson();
    std::string ResultsPage(const LiveRoute& route, int& status);

    const RunEngine& engine_;
    LiveGate* gate_ = nullptr;
    QTimer publishTimer_;
    QTimer sweepTimer_;
    QElapsedTimer uptime_;
    QList<QPointer<QTcpSocket>> feeds_;
    QHash<QString, RequestWindow> windows_;
    std::string lastOrder_;
    std::uint32_t sequence_ = 0;
    QByteArray lastMessage_;
    std::int32_t deckNode_ = -1;
    std::string deck_ = "[]";
    // The event's tables, read again at most every few seconds however many phones ask.
    results::Event event_;
    std::vector<results::CategoryTables> tables_;
    bool eventRead_ = false;
    qint64 tablesRead_ = -1;
};

}  // namespace velkaro

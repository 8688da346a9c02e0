#include "shell/live_server.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkProxy>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QWebSocket>
#include <functional>
#include <memory>

#include "shell/live_qr.h"
#include "tests/timing/engine_fixture.h"

namespace velkaro {
namespace {

bool PumpUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

void Pump(int ms) {
    PumpUntil([] { return false; }, ms);
}

// A client on its own loopback address: the server counts connections and requests per address.
std::unique_ptr<QTcpSocket> Connect(quint16 port, const char* from = "127.0.0.1") {
    auto s = std::make_unique<QTcpSocket>();
    s->bind(QHostAddress(QString::fromLatin1(from)));
    s->connectToHost(QHostAddress::LocalHost, port);
    PumpUntil([&] { return s->state() != QAbstractSocket::ConnectingState; }, 2000);
    return s;
}

// What the server sent back until it closed or went quiet.
QByteArray Exchange(quint16 port, const QByteArray& request, const char* from = "127.0.0.1") {
    auto s = Connect(port, from);
    QByteArray got;
    if (s->state() != QAbstractSocket::ConnectedState) return got;
    s->write(request);
    QElapsedTimer quiet;
    quiet.start();
    PumpUntil(
        [&] {
            if (s->bytesAvailable() > 0) {
                got += s->readAll();
                quiet.restart();
            }
            return s->state() == QAbstractSocket::UnconnectedState || quiet.elapsed() > 300;
        },
        5000);
    return got + s->readAll();
}

QByteArray Get(const char* target) {
    return QByteArray("GET ") + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
}

class LiveServerTest : public test::EngineTest {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server_.Start(0, QHostAddress::LocalHost));
        port_ = server_.Port();
    }
    // Drivers in the order the race screen shows.
    QStringList ScreenOrder() {
        QStringList names;
        for (const LiveRow& r : engine_.tables.rows) {
            if (r.driverName.View() != kEmptySlotName && !r.driverName.Empty()) {
                names << QString::fromLatin1(r.driverName.View().data(),
                                             qsizetype(r.driverName.View().size()));
            }
        }
        return names;
    }

    // The first heat of "CAT A", armed beforehand, under way.
    void StartHeatOne() {
        engine_.kind = RunKind::Heat;
        engine_.category = engine_.round = engine_.heat = 1;
        engine_.nodeCode = 1;
        engine_.runTitle = " CAT A - Round1 - Heat1 ";
        StartAndGo();
    }

    LiveServer server_{engine_};
    quint16 port_ = 0;
};

TEST_F(LiveServerTest, ServesNothingButItsOwnPagesAndSurvivesHostileRequests) {
    struct Case {
        QByteArray request;
        const char* status;  // empty: the server may close without a word
    };
    const QByteArray huge(200000, 'a');
    QByteArray manyHeaders = "GET / HTTP/1.1\r\n";
    for (int i = 0; i < kMostHeaders + 1; ++i)
        manyHeaders += "X-" + QByteArray::number(i) + ": y\r\n";
    const Case cases[] = {
        {Get("/"), "HTTP/1.1 200"},
        {Get("/live.json"), "HTTP/1.1 200"},
        {Get("/../../etc/passwd"), "HTTP/1.1 404"},
        {Get("/results/..%2F..%2F..%2Fetc%2Fpasswd"), "HTTP/1.1 404"},
        {Get("/%2e%2e/%2e%2e/etc/passwd"), "HTTP/1.1 404"},
        {Get("/results/c1-round1"), "HTTP/1.1 404"},  // no event in this folder
        {Get("/live.json?x=../../etc/passwd"), "HTTP/1.1 404"},
        {"POST / HTTP/1.1\r\nHost: x\r\nContent-Length: 3\r\n\r\nabc", "HTTP/1.1 405"},
        {"GET /" + huge + " HTTP/1.1\r\n\r\n", ""},
        {manyHeaders + "\r\n", "HTTP/1.1 431"},
        {"GET / HTTP/1.1\r\nX: " + huge + "\r\n\r\n", ""},
        {"\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03garbage\r\n\r\n", ""},
        {"BREW /pot HTCPCP/1.0\r\n\r\n", ""},
    };
    for (const Case& c : cases) {
        QByteArray got = Exchange(port_, c.request, "127.0.0.2");
        if (*c.status) {
            EXPECT_TRUE(got.startsWith(c.status))
                << c.request.left(60).toStdString() << " -> " << got.left(60).toStdString();
        } else {
            EXPECT_FALSE(got.contains("HTTP/1.1 200")) << c.request.left(60).toStdString();
        }
        EXPECT_FALSE(got.contains("root:")) << c.request.left(60).toStdString();
        // A fresh client is still served after each one.
        EXPECT_TRUE(Exchange(port_, Get("/live.json"), "127.0.0.3").startsWith("HTTP/1.1 200"));
    }
}

TEST_F(LiveServerTest, LimitsEachClientsRequestsAndConnections) {
    QByteArray burst;
    for (int i = 0; i < 3 * kRequestsPerSecond; ++i) burst += Get("/live.json");
    QByteArray got = Exchange(port_, burst, "127.0.0.4");
    EXPECT_EQ(got.count("HTTP/1.1 200"), kRequestsPerSecond);
    EXPECT_GE(got.count("HTTP/1.1 429"), 1);
    // Another client is not held back by that one.
    EXPECT_TRUE(Exchange(port_, Get("/"), "127.0.0.5").startsWith("HTTP/1.1 200"));

    std::vector<std::unique_ptr<QTcpSocket>> many;
    for (int i = 0; i < kConnectionsPerClient + 5; ++i) many.push_back(Connect(port_, "127.0.0.6"));
    Pump(200);
    int open = 0;
    for (auto& s : many) open += s->state() == QAbstractSocket::ConnectedState;
    EXPECT_EQ(open, kConnectionsPerClient);
    EXPECT_EQ(server_.Connections(), kConnectionsPerClient);
    EXPECT_TRUE(Exchange(port_, Get("/"), "127.0.0.7").startsWith("HTTP/1.1 200"));
}

TEST_F(LiveServerTest, AStalledFeedIsDroppedAndTheOthersKeepUp) {
    Arm({0, 1, 2});
    // A client that opens the feed and never reads, with the smallest buffer the kernel gives.
    int stalled = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(stalled, 0);
    int small = 1024;
    setsockopt(stalled, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port_);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(stalled, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
    QByteArray feed = Get("/feed");
    ASSERT_EQ(::write(stalled, feed.data(), std::size_t(feed.size())), feed.size());

    auto reader = Connect(port_, "127.0.0.8");
    reader->write(Get("/feed"));
    ASSERT_TRUE(PumpUntil([&] { return server_.FeedClients() == 2; }, 2000));

    QByteArray seen;
    int published = 0;
    for (; published < 20000 && server_.FeedClients() == 2; ++published) {
        Format(engine_.tables.rows[0].lastLap, "%d", published);
        server_.Publish();
        QCoreApplication::processEvents();
        seen += reader->readAll();
        if (seen.size() > (1 << 20)) seen = seen.right(1 << 16);
    }
    EXPECT_EQ(server_.FeedClients(), 1) << "after " << published << " messages, " << seen.size()
                                        << " bytes read: " << seen.right(300).toStdString();
    engine_.tables.rows[0].lastLap = "last";
    server_.Publish();
    EXPECT_TRUE(PumpUntil(
        [&] {
            seen += reader->readAll();
            return seen.contains("\"lastLap\":\"last\"");
        },
        3000));
    ::close(stalled);
}

TEST_F(LiveServerTest, TurningItOffClosesThePort) {
    EXPECT_TRUE(Exchange(port_, Get("/")).startsWith("HTTP/1.1 200"));
    EXPECT_TRUE(server_.Address().endsWith(QString(":%1/").arg(port_)));
    server_.Stop();
    EXPECT_FALSE(server_.Listening());
    auto s = Connect(port_);
    EXPECT_NE(s->state(), QAbstractSocket::ConnectedState);
}

// The finder pattern: dark rings at distances 0, 1 and 3 from its centre, a light ring at 2.
bool FinderAt(const QrMatrix& m, int left, int top) {
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 7; ++x) {
            if (m.Dark(left + x, top + y) != (std::max(std::abs(x - 3), std::abs(y - 3)) != 2))
                return false;
        }
    }
    return true;
}

TEST(LiveQrCode, EncodesTheAddressAndPaintsEachModuleInItsPlace) {
    const QString url = QStringLiteral("http://192.168.1.20:8080/");
    const QrMatrix m = EncodeQr(url.toUtf8());
    // 25 bytes at level M need version 2 (version 1 holds 14): 17 + 4 x 2 modules a side.
    ASSERT_EQ(m.width, 25);
    ASSERT_EQ(m.dark.size(), 25u * 25u);
    EXPECT_TRUE(FinderAt(m, 0, 0));
    EXPECT_TRUE(FinderAt(m, m.width - 7, 0));
    EXPECT_TRUE(FinderAt(m, 0, m.width - 7));
    EXPECT_FALSE(FinderAt(m, m.width - 7, m.width - 7));
    for (int k = 8; k < m.width - 8; ++k) {  // the timing rows between the finders
        EXPECT_EQ(m.Dark(k, 6), k % 2 == 0) << k;
        EXPECT_EQ(m.Dark(6, k), k % 2 == 0) << k;
    }

    // 33 modules with the margin, 10 pixels each: module (x, y) covers 40 + 10x, 40 + 10y.
    LiveAddressLabel label;
    label.Show(url, "Live page: " + url);
    label.show();
    QTest::mouseClick(&label, Qt::LeftButton);
    auto* view = static_cast<QrCodeView*>(label.Popup());
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->isVisible());
    EXPECT_EQ(view->objectName(), QString::number(kLiveQrCode));
    view->setFixedSize(330, 330);
    QImage shot = view->grab().toImage();
    int wrong = 0;
    for (int y = -4; y < m.width + 4; ++y) {
        for (int x = -4; x < m.width + 4; ++x) {
            bool dark = x >= 0 && y >= 0 && x < m.width && y < m.width && m.Dark(x, y);
            for (QPoint p : {QPoint(41 + 10 * x, 41 + 10 * y), QPoint(48 + 10 * x, 48 + 10 * y)}) {
                wrong += (qGray(shot.pixel(p)) < 128) != dark;
            }
        }
    }
    EXPECT_EQ(wrong, 0);

    // Off, the address is gone and so is its code.
    label.Show({}, QStringLiteral("Live page: port 80 is taken"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QTest::mouseClick(&label, Qt::LeftButton);
    EXPECT_EQ(label.Popup(), nullptr);
}

// Chromium, headless, driven through its DevTools protocol over a WebSocket.
class Browser {
  public:
    ~Browser() {
        socket_.close();
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    // Empty when the browser runs; otherwise why it cannot.
    QString Start(const QString& url) {
        QString exe = QStandardPaths::findExecutable(QStringLiteral("chromium"));
        if (exe.isEmpty()) return QStringLiteral("chromium is not installed");
        process_.setProgram(exe);
        process_.setArguments({"--headless", "--no-sandbox", "--disable-gpu",
                               "--disable-background-networking", "--disable-component-update",
                               "--disable-sync", "--no-first-run", "--remote-debugging-port=0",
                               "--remote-allow-origins=*", "--user-data-dir=" + profile_.path(),
                               "--window-size=390,844", url});
        process_.start();
        if (!process_.waitForStarted(10000))
            return "chromium did not start: " + process_.errorString();
        QString err;
        QRegularExpression listening(QStringLiteral("DevTools listening on (ws://\\S+)"));
        QRegularExpressionMatch m;
        PumpUntil(
            [&] {
                err += QString::fromLocal8Bit(process_.readAllStandardError());
                m = listening.match(err);
                return m.hasMatch() || process_.state() == QProcess::NotRunning;
            },
            30000);
        if (!m.hasMatch()) return "chromium cannot run here: " + err.left(400);
        QUrl browser(m.captured(1));
        // The page's own target, from the list the browser serves once the page is open.
        QString pageSocket;
        QByteArray lastList;
        PumpUntil(
            [&] {
                QByteArray list = Exchange(quint16(browser.port()),
                                           "GET /json/list HTTP/1.1\r\nHost: 127.0.0.1:" +
                                               QByteArray::number(browser.port()) + "\r\n\r\n");
                lastList = list;
                QJsonArray targets =
                    QJsonDocument::fromJson(list.mid(list.indexOf("\r\n\r\n") + 4)).array();
                for (const auto& t : targets) {
                    if (t.toObject().value("type").toString() == "page") {
                        pageSocket = t.toObject().value("webSocketDebuggerUrl").toString();
                    }
                }
                return !pageSocket.isEmpty();
            },
            10000);
        if (pageSocket.isEmpty()) {
            return "no DevTools page target on " + browser.toString() + ": " +
                   QString::fromUtf8(lastList.left(300));
        }
        socket_.setProxy(QNetworkProxy::NoProxy);  // loopback only, whatever the machine's proxy
        socket_.open(QUrl(pageSocket));
        QObject::connect(&socket_, &QWebSocket::textMessageReceived, [this](const QString& text) {
            QJsonObject o = QJsonDocument::fromJson(text.toUtf8()).object();
            if (o.contains("id")) replies_[o.value("id").toInt()] = o;
        });
        if (!PumpUntil([&] { return socket_.state() == QAbstractSocket::ConnectedState; }, 10000)) {
            return "no DevTools connection: " + socket_.errorString();
        }
        return {};
    }
    QJsonObject Call(const QString& method, const QJsonObject& params = {}) {
        int id = next_++;
        socket_.sendTextMessage(
            QJsonDocument(QJsonObject{{"id", id}, {"method", method}, {"params", params}})
                .toJson(QJsonDocument::Compact));
        PumpUntil([&] { return replies_.contains(id); }, 10000);
        return replies_.take(id).value("result").toObject();
    }
    QJsonValue Evaluate(const QString& expression) {
        return Call("Runtime.evaluate", {{"expression", expression}, {"returnByValue", true}})
            .value("result")
            .toObject()
            .value("value");
    }
    void Screenshot(int width, int height, bool mobile, bool dark, const QString& file) {
        Call("Emulation.setDeviceMetricsOverride",
             {{"width", width}, {"height", height}, {"deviceScaleFactor", 1}, {"mobile", mobile}});
        Call("Emulation.setEmulatedMedia",
             {{"features", QJsonArray{QJsonObject{{"name", "prefers-color-scheme"},
                                                  {"value", dark ? "dark" : "light"}}}}});
        Pump(300);
        QByteArray png = QByteArray::fromBase64(Call("Page.captureScreenshot", {{"format", "png"}})
                                                    .value("data")
                                                    .toString()
                                                    .toLatin1());
        QFile out(file);
        if (out.open(QIODevice::WriteOnly)) out.write(png);
    }

  private:
    QTemporaryDir profile_;
    QProcess process_;
    QWebSocket socket_;
    QHash<int, QJsonObject> replies_;
    int next_ = 1;
};

// Whether the page comes to show these drivers in this order.
bool PageShows(Browser& browser, const QStringList& names) {
    const QString pageOrder = QStringLiteral(
        "JSON.stringify([...document.querySelectorAll('#order tbody tr')].map(r => "
        "r.cells[1].textContent))");
    QString last;
    bool same = PumpUntil(
        [&] {
            last = browser.Evaluate(pageOrder).toString();
            return QJsonDocument::fromJson(last.toUtf8()).array().toVariantList() ==
                   QVariant(names).toList();
        },
        10000);
    EXPECT_TRUE(same) << "page " << last.toStdString() << " screen "
                      << names.join(',').toStdString();
    return same;
}

TEST_F(LiveServerTest, TheOrderInARealBrowserFollowsThePassings) {
    test::PrepareEvent(9, 3, 1, messages_);
    Arm({0, 1, 2});
    StartHeatOne();

    Browser browser;
    QString why = browser.Start(QStringLiteral("http://127.0.0.1:%1/").arg(port_));
    if (!why.isEmpty()) GTEST_SKIP() << why.toStdString();

    // Each step puts another car in front; the page must follow every one.
    QStringList orders;
    const std::vector<std::vector<int>> steps = {{2}, {0}, {1}, {1}, {0}, {0}, {2}, {2}, {2}};
    std::uint32_t at = 2000;
    for (const auto& step : steps) {
        for (int slot : step) PassAt(at += 2500, {slot});
        Pump(30);
        QStringList now = ScreenOrder();
        if (!PageShows(browser, now)) break;
        orders << now.join(',');
    }
    orders.removeDuplicates();
    EXPECT_GE(orders.size(), 3) << orders.join(" | ").toStdString();
    EXPECT_TRUE(browser.Evaluate("document.getElementById('deck').textContent")
                    .toString()
                    .contains("Round 1 - Heat 2"));
}

// The page on a phone (dark) and a desktop browser (light), six cars a few laps in, saved in the
// folder VELKARO_SCREENSHOTS names (docs/screenshots for the README).
TEST_F(LiveServerTest, Screenshots) {
    const QString folder = qEnvironmentVariable("VELKARO_SCREENSHOTS");
    if (folder.isEmpty()) GTEST_SKIP() << "VELKARO_SCREENSHOTS names no folder";
    test::PrepareEvent(18, 6, 1, messages_);
    Arm({0, 1, 2, 3, 4, 5});
    StartHeatOne();
    std::uint32_t at = 1000;
    for (int lap = 0; lap < 4; ++lap) {
        for (int slot : {3, 0, 5, 1, 4, 2}) {
            PassAt(at += 1300 + std::uint32_t((slot * 131 + lap * 71) % 400), {slot});
        }
    }
    Browser browser;
    QString why = browser.Start(QStringLiteral("http://127.0.0.1:%1/").arg(port_));
    ASSERT_TRUE(why.isEmpty()) << why.toStdString();
    ASSERT_TRUE(PageShows(browser, ScreenOrder()));
    struct Shot {
        const char* file;
        int width, height;
        bool phone;
    };
    for (const Shot& shot :
         {Shot{"live-phone.png", 390, 844, true}, Shot{"live-desktop.png", 1280, 800, false}}) {
        const QString file = folder + "/" + shot.file;
        QFile::remove(file);
        browser.Screenshot(shot.width, shot.height, shot.phone, shot.phone, file);
        EXPECT_EQ(QImage(file).size(), QSize(shot.width, shot.height)) << shot.file;
    }
}

}  // namespace
}  // namespace velkaro

#include "platform/qt/qt_serial_port.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <QCoreApplication>
#include <filesystem>

#include "tests/support/test_support.h"

namespace fs = std::filesystem;

namespace velkaro {
namespace {

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "platform_qt_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

// A pseudo-terminal whose slave appears as ports/COM5 in a program folder.
class PtyPort : public ::testing::Test {
  protected:
    void SetUp() override {
        App();
        char slaveName[256] = {};
        int slave = -1;
        ASSERT_EQ(openpty(&master_, &slave, slaveName, nullptr, nullptr), 0);
        ::close(slave);  // the port under test opens it by name
        fs::create_directories(temp.Path() / "ports");
        fs::create_symlink(slaveName, temp.Path() / "ports" / "COM5");
    }
    void TearDown() override {
        if (master_ >= 0) ::close(master_);
    }
    std::string ReadMaster(std::size_t want) {
        std::string out;
        for (int tries = 0; tries < 200 && out.size() < want; ++tries) {
            char buf[64];
            ssize_t n = ::read(master_, buf, sizeof buf);
            if (n > 0)
                out.append(buf, std::size_t(n));
            else
                usleep(1000);
        }
        return out;
    }
    test::TempFolder temp;
    int master_ = -1;
};

TEST_F(PtyPort, OpensByComNameAndMovesBytesBothWays) {
    int flags = fcntl(master_, F_GETFL);
    fcntl(master_, F_SETFL, flags | O_NONBLOCK);
    QtSerialPort port(temp.Path().string());
    ASSERT_TRUE(port.Open("COM5", LineSettings{}));
    EXPECT_TRUE(port.Purge());
    EXPECT_TRUE(port.RaiseDtr());  // refused by a pseudo-terminal, harmless
    std::uint8_t buf[255];
    int n = -1;
    EXPECT_TRUE(port.Read(buf, 255, &n));  // idle: at once, with nothing
    EXPECT_EQ(n, 0);

    const std::uint8_t query[] = {0xFF, 0xFF, 0xFF, 0x01, 0x02};
    int written = 0;
    ASSERT_TRUE(port.Write(query, 5, &written));
    EXPECT_EQ(written, 5);
    EXPECT_EQ(ReadMaster(5), std::string("\xFF\xFF\xFF\x01\x02", 5));

    const char passing[] = "\x00\x12\x34";
    ASSERT_EQ(::write(master_, passing, 3), 3);
    std::string got;
    for (int tries = 0; tries < 200 && got.size() < 3; ++tries) {
        ASSERT_TRUE(port.Read(buf, 2, &n));
        ASSERT_LE(n, 2);  // never more than asked
        got.append(reinterpret_cast<char*>(buf), std::size_t(n));
    }
    EXPECT_EQ(got, std::string(passing, 3));
    ::close(master_);  // the far end gone, writes reach nothing
    master_ = -1;
    port.Write(query, 5, &written);
    EXPECT_EQ(written, 0);
    port.Close();
    EXPECT_FALSE(port.IsOpen());
}

TEST_F(PtyPort, MissingOrOutOfRangePortsFailCleanly) {
    QtSerialPort port(temp.Path().string());
    EXPECT_FALSE(port.Open("COM50", LineSettings{}));
    fs::remove(temp.Path() / "ports" / "COM5");
    fs::create_symlink("/dev/velkaro-no-such-device", temp.Path() / "ports" / "COM5");
    EXPECT_FALSE(port.Open("COM5", LineSettings{}));
    EXPECT_FALSE(port.IsOpen());
    int n = -1;
    std::uint8_t b = 0;
    EXPECT_FALSE(port.Read(&b, 1, &n));
    EXPECT_FALSE(port.Write(&b, 1, &n));
    EXPECT_EQ(n, 0);
}

}  // namespace
}  // namespace velkaro

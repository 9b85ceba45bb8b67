#pragma once

#include <QWidget>

class QPushButton;

namespace platform {
class SocketControl;
}

namespace listener {

// Sends the reboot request to the listener on this machine, as the console would.
class frmClientTest : public QWidget {
    Q_OBJECT
public:
    explicit frmClientTest(int port = 1001, QWidget* parent = nullptr);

    void Command1_Click();
    void tcpclient_Connect();
    void tcpclient_SendComplete();

    QPushButton* Command1;
    platform::SocketControl* tcpclient;

private:
    int m_port;
};

} // namespace listener

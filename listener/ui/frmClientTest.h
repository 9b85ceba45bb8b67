#pragma once

#include <QWidget>

class QPushButton;

namespace platform {
class RebootClient;
}

namespace listener {

// Sends the reboot request to the listener on this machine, as the console would, without its
// step before the delay and without the delay.
class frmClientTest : public QWidget {
    Q_OBJECT
public:
    explicit frmClientTest(int port = 1001, QWidget* parent = nullptr);

    void Command1_Click();

    QPushButton* Command1;
    platform::RebootClient* tcpclient;

private:
    int m_port;
};

} // namespace listener

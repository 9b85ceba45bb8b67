#include "frmClientTest.h"

#include <SocketControl.h>
#include <Twips.h>

#include <QPushButton>

namespace listener {

frmClientTest::frmClientTest(int port, QWidget* parent) : QWidget(parent), m_port(port) {
    setWindowTitle(QStringLiteral("Test Client"));
    setFixedSize(platform::twipsToPixels(4680), platform::twipsToPixels(3195));
    Command1 = new QPushButton(QStringLiteral("Reboot"), this);
    Command1->setGeometry(platform::twipsRect(1800, 1320, 1215, 495));
    tcpclient = new platform::SocketControl(platform::SocketControl::Protocol::Tcp, this);
    tcpclient->setRemoteHost(QStringLiteral("localhost"));
    tcpclient->setRemotePort(m_port);
    connect(Command1, &QPushButton::clicked, this, &frmClientTest::Command1_Click);
    connect(tcpclient, &platform::SocketControl::Connected, this, &frmClientTest::tcpclient_Connect);
    connect(tcpclient, &platform::SocketControl::SendComplete, this, &frmClientTest::tcpclient_SendComplete);
    // A failed attempt leaves the socket in its error state; the next press starts afresh.
}

void frmClientTest::Command1_Click() {
    // Refused while an exchange is under way; that one carries on.
    tcpclient->Connect(QStringLiteral("localhost"), m_port);
}

void frmClientTest::tcpclient_Connect() {
    tcpclient->SendData(QByteArray("reboot"));
}

void frmClientTest::tcpclient_SendComplete() {
    tcpclient->Close();
}

} // namespace listener

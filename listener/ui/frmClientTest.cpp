#include "frmClientTest.h"

#include <RebootClient.h>
#include <Twips.h>

#include <QPushButton>

namespace listener {

frmClientTest::frmClientTest(int port, QWidget* parent) : QWidget(parent), m_port(port) {
    setWindowTitle(QStringLiteral("Test Client"));
    setFixedSize(platform::twipsToPixels(4680), platform::twipsToPixels(3195));
    Command1 = new QPushButton(QStringLiteral("Reboot"), this);
    Command1->setGeometry(platform::twipsRect(1800, 1320, 1215, 495));
    tcpclient = new platform::RebootClient(this, std::chrono::milliseconds(0), std::chrono::milliseconds(0));
    connect(Command1, &QPushButton::clicked, this, &frmClientTest::Command1_Click);
    // A failed attempt shows nothing; the next press starts afresh.
}

void frmClientTest::Command1_Click() {
    // Refused while an exchange is under way; that one carries on.
    tcpclient->Start(QStringLiteral("localhost"), m_port);
}

} // namespace listener

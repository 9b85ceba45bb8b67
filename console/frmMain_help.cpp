#include "frmMain.h"

#include "SystemInfo.h"
#include "Version.h"
#include "WebLinks.h"
#include "frmAbout.h"

#include <QAction>

namespace console {

void frmMain::wireHelpMenu() {
    connect(mnuHelpUpdate, &QAction::triggered, this, &frmMain::mnuHelpUpdate_Click);
    connect(mnuHelpFeedback, &QAction::triggered, this, &frmMain::mnuHelpFeedback_Click);
    connect(mnuHelpBugReport, &QAction::triggered, this, &frmMain::mnuHelpBugReport_Click);
    connect(mnuGotToRtCW, &QAction::triggered, this, &frmMain::mnuGotToRtCW_Click);
    connect(mnuHelpGoToAchtung, &QAction::triggered, this, &frmMain::mnuHelpGoToAchtung_Click);
    connect(mnuGoToSTVEF, &QAction::triggered, this, &frmMain::mnuGoToSTVEF_Click);
    connect(mnuHelpGoToEF, &QAction::triggered, this, &frmMain::mnuHelpGoToEF_Click);
    connect(mnuGoToPQ_Q2, &QAction::triggered, this, &frmMain::mnuGoToPQ_Q2_Click);
    connect(mnuGotoQ3W, &QAction::triggered, this, &frmMain::mnuGotoQ3W_Click);
    connect(mnuGoToPQ_Q3, &QAction::triggered, this, &frmMain::mnuGoToPQ_Q3_Click);
    connect(mnuHelpVelmoraHome, &QAction::triggered, this, &frmMain::mnuHelpVelmoraHome_Click);
    connect(mnuHelpAbout, &QAction::triggered, this, &frmMain::mnuHelpAbout_Click);
}

void frmMain::mnuHelpUpdate_Click() {
    OpenWebPage(m_desktop, updateCheckAddress(kVersionMajor, kVersionMinor));
}

void frmMain::mnuHelpFeedback_Click() {
    OpenWebPage(m_desktop, feedbackAddress());
}

void frmMain::mnuHelpBugReport_Click() {
    OpenWebPage(m_desktop, bugReportAddress());
}

void frmMain::mnuGotToRtCW_Click() {
    OpenWebPage(m_desktop, rtcwOfficialAddress());
}

void frmMain::mnuHelpGoToAchtung_Click() {
    OpenWebPage(m_desktop, achtungWolfensteinAddress());
}

void frmMain::mnuGoToSTVEF_Click() {
    OpenWebPage(m_desktop, eliteForceOfficialAddress());
}

void frmMain::mnuHelpGoToEF_Click() {
    OpenWebPage(m_desktop, holodeck5Address());
}

void frmMain::mnuGoToPQ_Q2_Click() {
    OpenWebPage(m_desktop, planetQuake2Address());
}

void frmMain::mnuGotoQ3W_Click() {
    OpenWebPage(m_desktop, quake3WorldAddress());
}

void frmMain::mnuGoToPQ_Q3_Click() {
    OpenWebPage(m_desktop, planetQuake3Address());
}

void frmMain::mnuHelpVelmoraHome_Click() {
    OpenWebPage(m_desktop, velmoraHomeAddress());
}

void frmMain::mnuHelpAbout_Click() {
    // exec() runs its own event loop, so this window's sockets and timers are served meanwhile.
    frmAbout about(m_desktop, desktopSystemKeys(), this);
    about.exec();
}

} // namespace console

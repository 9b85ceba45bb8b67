#include "RestartTool.h"

#include <ConsoleSession.h>
#include <ScheduleClock.h>
#include <Schedules.h>

#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTime>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace rcontool {

using namespace console;

namespace {
int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    (void)!::write(signalPipe[1], &byte, 1);
}

int exitStatus(RebootEnd::Kind kind) {
    switch (kind) {
    case RebootEnd::Kind::Back:
        return kBack;
    case RebootEnd::Kind::Refused:
        return kRefused;
    case RebootEnd::Kind::NoAnswer:
    case RebootEnd::Kind::NeverWent:
    case RebootEnd::Kind::Abandoned:
    case RebootEnd::Kind::Unreachable:
        break;
    }
    return kNotBack;
}

QString outcomeName(RebootEnd::Kind kind) {
    switch (kind) {
    case RebootEnd::Kind::Back:
        return QStringLiteral("back");
    case RebootEnd::Kind::Refused:
        return QStringLiteral("refused");
    case RebootEnd::Kind::NoAnswer:
    case RebootEnd::Kind::NeverWent:
        return QStringLiteral("not back");
    case RebootEnd::Kind::Abandoned:
    case RebootEnd::Kind::Unreachable:
        break;
    }
    return QStringLiteral("not restarted");
}
} // namespace

int runRestart(const RconOptions& options, const QString& host, quint16 port, const QString& password,
               PacingProfile pacing, QTextStream& out, QTextStream& err) {
    SessionSeams seams;
    if (options.listenerPort)
        seams.listenerPort = *options.listenerPort;
    ConsoleSession session(seams);
    session.pacers().setProfile(pacing);
    SystemClock clock;
    Schedules schedules(session, clock);
    session.setAddress(host);
    session.setPort(QString::number(port));
    session.setPassword(password);

    QEventLoop loop;
    std::optional<RebootEnd> end;
    QObject::connect(&session, &ConsoleSession::commandSent, &loop, [&out](const QString& command) {
        out << QTime::currentTime().toString(QStringLiteral("HH:mm:ss")) << ' ' << command << '\n';
        out.flush();
    });
    QObject::connect(&schedules, &Schedules::restartFinished, &loop, [&](const RebootEnd& e) {
        end = e;
        loop.quit();
    });
    // Interrupted during the countdown: the players who were warned are told, nothing restarts.
    QObject::connect(&schedules, &Schedules::statusText, &loop, [&](const QString& text) {
        if (!schedules.counting() && !schedules.restarting() && !end) {
            end = RebootEnd{RebootEnd::Kind::Abandoned, text};
            loop.quit();
        }
    });
    std::unique_ptr<QSocketNotifier> interrupted;
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) == 0) {
        interrupted = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
        QObject::connect(interrupted.get(), &QSocketNotifier::activated, &loop, [&] {
            char byte = 0;
            (void)!::read(signalPipe[0], &byte, 1);
            if (schedules.counting())
                schedules.cancelRestart();
        });
        std::signal(SIGINT, onSignal);
        std::signal(SIGTERM, onSignal);
    }

    RestartPlan plan = options.restart;
    ConnectionFields target{host, QString::number(port), password};
    if (const auto started = schedules.startRestart(plan, target); !started) {
        err << "vorlanix-rcon: " << started.why() << '\n';
        return kUsage;
    }
    if (!end)
        loop.exec();
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    interrupted.reset();
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    session.Close();

    const int status = exitStatus(end->kind);
    if (options.json) {
        const QJsonObject json{{QStringLiteral("server"), host + QLatin1Char(':') + QString::number(port)},
                               {QStringLiteral("outcome"), outcomeName(end->kind)},
                               {QStringLiteral("message"), end->text}};
        out << QJsonDocument(json).toJson(QJsonDocument::Compact) << '\n';
    } else {
        (status == kBack ? out : err) << end->text << '\n';
    }
    return status;
}

} // namespace rcontool

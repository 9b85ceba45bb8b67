// The update-check address for any version the build could carry.
#include "FuzzCheck.h"

#include <WebLinks.h>

#include <fuzzer/FuzzedDataProvider.h>

#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

#include <climits>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const int major = input.ConsumeIntegralInRange(0, INT_MAX);
    const int minor = input.ConsumeIntegralInRange(0, INT_MAX);

    const QString text = console::updateVersionText(major, minor);
    static const QRegularExpression shape(QStringLiteral("^[0-9]+\\.[0-9]{2}$"));
    FUZZ_CHECK(shape.match(text).hasMatch());
    // "major.minor" read as a decimal number and rounded half up to hundredths: in thousandths, the
    // result lies within [-4, +5] of the number cut after its third decimal.
    const QString minorDigits = QString::number(minor).leftJustified(3, QLatin1Char('0'), true);
    const qint64 thousandths = qint64(major) * 1000 + minorDigits.toInt();
    const qint64 shown = text.section(QLatin1Char('.'), 0, 0).toLongLong() * 1000 +
                         text.section(QLatin1Char('.'), 1).toInt() * 10;
    FUZZ_CHECK(shown - thousandths >= -4 && shown - thousandths <= 5);

    const QUrl url(console::updateCheckAddress(major, minor), QUrl::StrictMode);
    FUZZ_CHECK(url.isValid() && url.host() == QLatin1String("www.velmora.example"));
    FUZZ_CHECK(url.path() == QLatin1String("/velmora/tarnwick/update.asp"));
    FUZZ_CHECK(QUrlQuery(url).queryItemValue(QStringLiteral("ver")) == text);
    return 0;
}

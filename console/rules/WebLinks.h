#pragma once

#include <QString>

namespace console {

// The maker's site has one host; every address of the maker is built from it.
inline constexpr char kMakerSite[] = "https://www.velmora.example";

QString makerAddress(const QString& path);

// major "." minor read as a decimal number and written with two decimals ("#0.00"): 3.0 gives
// 3.00, 3.1 and 3.10 both give 3.10. Longer minors are rounded half up (3.125 gives 3.13).
QString updateVersionText(int major, int minor);
QString updateCheckAddress(int major, int minor);

QString feedbackAddress();
QString bugReportAddress();
QString velmoraHomeAddress();

QString rtcwOfficialAddress();
QString achtungWolfensteinAddress();
QString eliteForceOfficialAddress();
QString holodeck5Address();
QString planetQuake2Address();
QString quake3WorldAddress();
QString planetQuake3Address();

} // namespace console

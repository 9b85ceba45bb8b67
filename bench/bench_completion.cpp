// Per-keystroke completion over a 100,000-entry word list whose only match lies near the end,
// beside a plain linear scan over std::vector<std::string> of the same words.
#include <CommandList.h>

#include <QStringList>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;

std::string linearScan(const std::vector<std::string>& words, const std::string& typed) {
    if (typed.empty())
        return {};
    for (const std::string& w : words)
        if (w.size() >= typed.size() && w.compare(0, typed.size(), typed) == 0)
            return w.substr(typed.size());
    return {};
}

template <typename F> double bestMicroseconds(F&& f, int rounds) {
    double best = 1e300;
    for (int r = 0; r < rounds; ++r) {
        const auto start = Clock::now();
        f();
        best = std::min(best, std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    return best;
}

// The keystrokes of typing target over 100,000 words made of stem and a number, target near the end.
void measure(const char* title, const std::string& stem) {
    constexpr int kEntries = 100000;
    QStringList list;
    std::vector<std::string> words;
    list.reserve(kEntries);
    words.reserve(kEntries);
    const std::string target = "zz_target_command";
    for (int i = 0; i < kEntries; ++i) {
        const std::string w = i == kEntries - 10 ? target : stem + std::to_string(i) + "_name";
        words.push_back(w);
        list.append(QString::fromStdString(w));
    }
    std::size_t sink = 0;
    const int keys = int(target.size());
    const double ours = bestMicroseconds(
        [&] {
            for (int n = 1; n <= keys; ++n)
                sink += std::size_t(
                    console::FindCompletion(list, QString::fromStdString(target.substr(0, n))).size());
        },
        20);
    const double baseline = bestMicroseconds(
        [&] {
            for (int n = 1; n <= keys; ++n)
                sink += linearScan(words, target.substr(0, n)).size();
        },
        20);
    std::printf("completion per keystroke, 100000 entries, %s\n", title);
    std::printf("  FindCompletion:                 %8.1f us\n", ours / keys);
    std::printf("  linear scan, vector<string>:    %8.1f us (baseline)\n", baseline / keys);
    std::printf("  ratio: %.2fx   (one frame: 16000 us)   [%zu]\n", ours / baseline, sink);
}
} // namespace

int main() {
    measure("match near the end", "cmd_");
    // Every entry starts as the typed text does, so no early look at the first character helps.
    measure("every entry sharing the typed start", "zz_target_");
    return 0;
}

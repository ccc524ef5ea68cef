#ifndef PLAINWEIGHTEDRATIO_H
#define PLAINWEIGHTEDRATIO_H

#include <algorithm>
#include <string>
#include <vector>

// The weighted ratio written down plainly: quadratic LCS table, every window
// tried, strings copied around freely. Slow, but easy to check by eye.
namespace plain {

using Tokens = std::vector<std::string>;

inline std::size_t lcs(const std::string &a, const std::string &b)
{
    std::vector<std::size_t> previous(b.size() + 1, 0), current(b.size() + 1, 0);
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            current[j] = a[i - 1] == b[j - 1] ? previous[j - 1] + 1
                                              : std::max(previous[j], current[j - 1]);
        }
        std::swap(previous, current);
    }
    return previous[b.size()];
}

inline std::size_t indel(const std::string &a, const std::string &b)
{
    return a.size() + b.size() - 2 * lcs(a, b);
}

inline double ratio(const std::string &a, const std::string &b)
{
    const std::size_t total = a.size() + b.size();
    if (total == 0)
        return 100.0;
    return (1.0 - double(indel(a, b)) / double(total)) * 100.0;
}

inline double norm(std::size_t distance, std::size_t total)
{
    return total == 0 ? 100.0 : 100.0 - 100.0 * double(distance) / double(total);
}

inline bool isSpace(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 0x09 && byte <= 0x0D) || (byte >= 0x1C && byte <= 0x20);
}

inline Tokens tokens(const std::string &s)
{
    Tokens result;
    std::string piece;
    for (const char c : s + ' ') {
        if (!isSpace(c)) {
            piece += c;
        } else if (!piece.empty()) {
            result.push_back(piece);
            piece.clear();
        }
    }
    std::sort(result.begin(), result.end(), [](const std::string &x, const std::string &y) {
        return std::lexicographical_compare(
            x.begin(), x.end(), y.begin(), y.end(), [](char l, char r) {
                return static_cast<signed char>(l) < static_cast<signed char>(r);
            });
    });
    return result;
}

inline std::string join(const Tokens &list)
{
    std::string text;
    for (std::size_t i = 0; i < list.size(); ++i)
        text += (i ? " " : "") + list[i];
    return text;
}

inline bool contains(const Tokens &list, const std::string &token)
{
    return std::find(list.begin(), list.end(), token) != list.end();
}

struct Decomposition
{
    Decomposition(const Tokens &ta, const Tokens &tb)
    {
        Tokens a = ta, b = tb;
        a.erase(std::unique(a.begin(), a.end()), a.end());
        b.erase(std::unique(b.begin(), b.end()), b.end());
        for (const std::string &t : a)
            (contains(b, t) ? common : aOnly).push_back(t);
        for (const std::string &t : b) {
            if (!contains(a, t))
                bOnly.push_back(t);
        }
    }
    Tokens common, aOnly, bOnly;
};

inline double partialOneWay(const std::string &a, const std::string &b)
{
    const std::size_t n = a.size(), m = b.size();
    double best = 0;
    for (std::size_t p = 0; m > n && p < m - n; ++p)
        best = std::max(best, (1.0 - double(indel(a, b.substr(p, n))) / double(2 * n)) * 100.0);
    for (std::size_t i = 1; i < n; ++i) {
        if (a.find(b[i - 1]) != std::string::npos)
            best = std::max(best, ratio(a, b.substr(0, i)));
    }
    for (std::size_t i = m - n; i < m; ++i) {
        if (a.find(b[i]) != std::string::npos)
            best = std::max(best, ratio(a, b.substr(i)));
    }
    return best;
}

inline double partialRatio(std::string a, std::string b)
{
    if (a.size() > b.size())
        std::swap(a, b);
    if (a.empty() || b.empty())
        return a.empty() && b.empty() ? 100.0 : 0.0;
    double best = partialOneWay(a, b);
    if (best != 100.0 && a.size() == b.size())
        best = std::max(best, partialOneWay(b, a));
    return best;
}

inline double tokenRatio(const std::string &a, const std::string &b)
{
    const Tokens ta = tokens(a), tb = tokens(b);
    const Decomposition d(ta, tb);
    if (!d.common.empty() && (d.aOnly.empty() || d.bOnly.empty()))
        return 100.0;
    double r = ratio(join(ta), join(tb));
    const std::size_t s = join(d.common).size();
    const std::size_t sep = s > 0 ? 1 : 0;
    const std::size_t lab = s + sep + join(d.aOnly).size();
    const std::size_t lba = s + sep + join(d.bOnly).size();
    r = std::max(r, norm(indel(join(d.aOnly), join(d.bOnly)), lab + lba));
    if (s == 0)
        return r;
    return std::max(
        {r, norm(sep + join(d.aOnly).size(), s + lab), norm(sep + join(d.bOnly).size(), s + lba)});
}

inline double partialTokenRatio(const std::string &a, const std::string &b)
{
    const Tokens ta = tokens(a), tb = tokens(b);
    const Decomposition d(ta, tb);
    if (!d.common.empty())
        return 100.0;
    const double r = partialRatio(join(ta), join(tb));
    if (ta.size() == d.aOnly.size() && tb.size() == d.bOnly.size())
        return r;
    return std::max(r, partialRatio(join(d.aOnly), join(d.bOnly)));
}

inline double weightedRatio(const std::string &a, const std::string &b)
{
    if (a.empty() || b.empty())
        return 0.0;
    const double lr = double(std::max(a.size(), b.size())) / double(std::min(a.size(), b.size()));
    double e = ratio(a, b);
    if (lr < 1.5)
        return std::max(e, tokenRatio(a, b) * 0.95);
    const double ps = lr <= 8.0 ? 0.9 : 0.6;
    e = std::max(e, partialRatio(a, b) * ps);
    return std::max(e, partialTokenRatio(a, b) * 0.95 * ps);
}

} // namespace plain

#endif // PLAINWEIGHTEDRATIO_H

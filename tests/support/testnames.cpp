#include "support/testnames.h"

#include <algorithm>
#include <vector>

namespace testnames {

std::string identifier(const QString& text)
{
    const QString folded = text.normalized(QString::NormalizationForm_KD);
    const auto isAsciiAlnum = [](QChar c) { return c.unicode() < 128 && c.isLetterOrNumber(); };
    std::string name;
    bool gap = false;
    for (qsizetype i = 0; i < folded.size(); ++i) {
        const QChar c = folded[i];
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        // A sign must survive, or -1 and 1 would get the same name.
        const bool sign = c == u'-' && i + 1 < folded.size() && folded[i + 1].isDigit()
                          && (i == 0 || !isAsciiAlnum(folded[i - 1]));
        if (!isAsciiAlnum(c) && !sign) {
            gap = true;
            continue;
        }
        if ((gap || sign) && !name.empty())
            name += '_';
        gap = false;
        if (sign)
            name += "minus";
        else
            name += char(c.unicode());
    }
    return name.empty() ? std::string("_") : name;
}

std::string identifier(std::string_view utf8)
{
    return identifier(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
}

std::string unique(const std::string& name, std::size_t index)
{
    // gtest asks for the names of one instantiation in index order, from 0,
    // before it moves on (and asks again for every test of the suite), so
    // the names handed out below `index` are those of this instantiation.
    static std::vector<std::string> given;
    given.resize(index);
    std::string candidate = name;
    for (int n = 2; std::find(given.begin(), given.end(), candidate) != given.end(); ++n)
        candidate = name + '_' + std::to_string(n);
    given.push_back(candidate);
    return candidate;
}

}  // namespace testnames

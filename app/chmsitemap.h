#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// One line of a help file's table of contents.
struct ChmTocItem {
    QString name;
    QString local;  // archive path of the page, "" for a heading without page
    int level = 0;  // 0 for the outermost list
};

// Reads the HTML sitemap of a table of contents (.hhc): every
// <OBJECT type="text/sitemap"> with its "Name" and "Local" parameters, in
// order, with the nesting depth of its <UL>. Tolerant of the loose HTML such
// files hold; never fails, an unusable file simply gives fewer items.
std::vector<ChmTocItem> parseChmSitemap(const QByteArray& html);

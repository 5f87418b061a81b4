#pragma once

#include <QCollator>
#include <QCollatorSortKey>
#include <QList>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <utility>
#include <vector>

namespace lorvane {

// The one order in which the program lists a folder's entries (folder listing, explorer scan,
// viewer list): natural ("img2" before "img10") and without regard to letter case, following the
// user's locale. Names the collation calls equal ("a.jpg" and "A.jpg", "img2" and "img02") are
// ordered by their raw UTF-16 text so the order never depends on the input order.
//
// Not thread-safe: QCollator instances must not be shared between threads; give each thread its
// own NaturalNameOrder.
class NaturalNameOrder {
public:
    NaturalNameOrder();

    bool lessThan(const QString& a, const QString& b) const;
    bool operator()(const QString& a, const QString& b) const { return lessThan(a, b); }

    QStringList sorted(QStringList names) const;

    // Sorts items of any kind by the name nameOf(item) gives. The collation keys are computed once
    // per item: comparing through QCollator inside the sort would redo the work O(n log n) times.
    template <typename T, typename NameOf>
    QList<T> sorted(QList<T> items, NameOf nameOf) const {
        std::vector<Keyed> keyed;
        keyed.reserve(static_cast<std::size_t>(items.size()));
        for (qsizetype i = 0; i < items.size(); ++i) {
            QString name = nameOf(std::as_const(items[i]));
            QCollatorSortKey key = m_collator.sortKey(name);
            keyed.push_back(Keyed{std::move(key), std::move(name), i});
        }
        std::sort(keyed.begin(), keyed.end(), &NaturalNameOrder::keyedLess);
        QList<T> result;
        result.reserve(items.size());
        for (const Keyed& k : keyed) {
            result.push_back(std::move(items[k.index]));
        }
        return result;
    }

private:
    struct Keyed {
        QCollatorSortKey key;
        QString name;
        qsizetype index;
    };
    static bool keyedLess(const Keyed& a, const Keyed& b);

    QCollator m_collator;
};

}  // namespace lorvane

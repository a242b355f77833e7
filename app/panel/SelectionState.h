// The keyboard selection of the key panel: the index of the key that Return applies.
#pragma once

#include <QObject>

namespace kestrine {

class SelectionState : public QObject {
    Q_OBJECT
public:
    explicit SelectionState(QObject* parent = nullptr) : QObject(parent) {}

    int index() const { return index_; }
    // Notifies only when the index really changes.
    void setIndex(int index) {
        if (index == index_) return;
        index_ = index;
        emit indexChanged(index_);
    }

signals:
    void indexChanged(int index);

private:
    int index_ = 0;
};

}  // namespace kestrine

#pragma once

#include <QObject>
#include <functional>

// Calls back when Enter or Return goes down in the watched widget, once per
// key press (an editable combo box hands the key on to its line edit again,
// so the line edit's returnPressed can arrive twice). The key is not eaten.
class ReturnKeyFilter : public QObject {
    Q_OBJECT
public:
    explicit ReturnKeyFilter(std::function<void()> onReturn, QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> m_onReturn;
};

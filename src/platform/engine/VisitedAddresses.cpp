#include "platform/engine/VisitedAddresses.h"

#include <QCoreApplication>
#include <QStringListModel>

namespace platform {

QStringListModel* VisitedAddresses::Model()
{
    // Owned by the application, so it goes before the application does.
    static QStringListModel* model = new QStringListModel(QCoreApplication::instance());
    return model;
}

void VisitedAddresses::Add(const QString& address)
{
    if (address.isEmpty())
        return;
    QStringListModel* model = Model();
    // A page with frames completes several documents: the same address in a
    // row changes nothing.
    if (model->rowCount() > 0 && model->index(0).data().toString() == address)
        return;
    const qsizetype existing = model->stringList().indexOf(address);
    if (existing >= 0)
        model->removeRows(int(existing), 1);
    else if (model->rowCount() >= kCapacity)
        model->removeRows(kCapacity - 1, model->rowCount() - kCapacity + 1);
    model->insertRows(0, 1);
    model->setData(model->index(0), address);
}

}  // namespace platform

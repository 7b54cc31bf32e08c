#include "reviewsettings.h"

#include <QCoreApplication>
#include <QSettings>

namespace {

const QString Group = QStringLiteral("Review");

} // namespace

ReviewSettings::ReviewSettings()
{
    draggedWidths.fill(FollowsRule);
}

bool ReviewSettings::available()
{
    return !QCoreApplication::organizationName().isEmpty();
}

ReviewSettings ReviewSettings::load()
{
    ReviewSettings kept;
    if (!available())
        return kept;
    QSettings settings;
    settings.beginGroup(Group);
    const QSize size = settings.value(QStringLiteral("size")).toSize();
    if (size.isValid() && !size.isEmpty())
        kept.size = size;
    if (settings.contains(QStringLiteral("position")))
        kept.position = settings.value(QStringLiteral("position")).toPoint();

    const QVariantList widths = settings.value(QStringLiteral("draggedWidths")).toList();
    for (int column = 0; column < widths.size() && column < RecordTableModel::ColumnCount; ++column) {
        bool ok = false;
        const int width = widths.at(column).toInt(&ok);
        kept.draggedWidths[size_t(column)] = ok && width >= NarrowestKept && width <= WidestKept ? width : FollowsRule;
    }
    const int sortColumn = settings.value(QStringLiteral("sortColumn"), -1).toInt();
    kept.sortColumn = sortColumn >= 0 && sortColumn < RecordTableModel::ShownColumnCount ? sortColumn : -1;
    kept.sortOrder =
        settings.value(QStringLiteral("sortDescending")).toBool() ? Qt::DescendingOrder : Qt::AscendingOrder;

    kept.choices.search = settings.value(QStringLiteral("search")).toString();
    kept.choices.type = settings.value(QStringLiteral("type")).toString();
    kept.choices.from = settings.value(QStringLiteral("from")).toString();
    kept.choices.to = settings.value(QStringLiteral("to")).toString();
    kept.choices.status = settings.value(QStringLiteral("status"), kept.choices.status).toInt();
    kept.choices.openCallBacks = settings.value(QStringLiteral("openCallBacks"), false).toBool();
    return kept;
}

void ReviewSettings::save() const
{
    if (!available())
        return;
    QSettings settings;
    settings.beginGroup(Group);
    if (size)
        settings.setValue(QStringLiteral("size"), *size);
    if (position)
        settings.setValue(QStringLiteral("position"), *position);
    QVariantList widths;
    for (int width : draggedWidths)
        widths << width;
    settings.setValue(QStringLiteral("draggedWidths"), widths);
    settings.setValue(QStringLiteral("sortColumn"), sortColumn);
    settings.setValue(QStringLiteral("sortDescending"), sortOrder == Qt::DescendingOrder);
    settings.setValue(QStringLiteral("search"), choices.search);
    settings.setValue(QStringLiteral("type"), choices.type);
    settings.setValue(QStringLiteral("from"), choices.from);
    settings.setValue(QStringLiteral("to"), choices.to);
    settings.setValue(QStringLiteral("status"), choices.status);
    settings.setValue(QStringLiteral("openCallBacks"), choices.openCallBacks);
}

bool ReviewSettings::reachable(const QRect &frame, const QList<QRect> &areas)
{
    for (const QRect &area : areas) {
        const QRect shared = area.intersected(frame);
        if (shared.width() >= MinimumReach.width() && shared.height() >= MinimumReach.height())
            return true;
    }
    return false;
}

#include "monitor/ui/HistoryChart.h"

#include <QChart>
#include <QLineSeries>
#include <QValueAxis>

QColor AlarmTextColour(int alarmState)
{
    switch (alarmState) {
    case StatusWord::AlarmActive:
        return QColor(255, 0, 0);
    case StatusWord::AlarmAcknowledged:
        return QColor(0, 0, 255);
    default:
        return {};
    }
}

QColor AlarmPointColour(int alarmState)
{
    switch (alarmState) {
    case StatusWord::AlarmNo:
        return QColor(0, 255, 0); // lime
    case StatusWord::AlarmActive:
        return QColor(255, 0, 0);
    case StatusWord::AlarmAcknowledged:
        return QColor(0, 0, 255);
    default:
        return QColor(0, 128, 0);
    }
}

THistoryChart::THistoryChart(QWidget *parent)
    : QChartView(new QChart, parent) // the view owns it; a chart set later would be left to us to free
{
    setObjectName(QStringLiteral("HistoryChart"));
    QChart *chart = this->chart();
    chart->setTitle(QStringLiteral("Value vs. Time (seconds)"));
    chart->legend()->hide();
    m_series = new QLineSeries(chart);
    m_series->setName(QStringLiteral("Value"));
    m_series->setPointsVisible(true);
    m_series->setMarkerSize(7);
    QPen pen(QColor(128, 128, 128));
    pen.setWidth(2);
    m_series->setPen(pen);
    chart->addSeries(m_series);
    m_axisX = new QValueAxis(chart);
    m_axisX->setLabelFormat(QStringLiteral("%d"));
    m_axisY = new QValueAxis(chart);
    chart->addAxis(m_axisX, Qt::AlignBottom);
    chart->addAxis(m_axisY, Qt::AlignLeft);
    m_series->attachAxis(m_axisX);
    m_series->attachAxis(m_axisY);
    setRenderHint(QPainter::Antialiasing);
    // Point markers reach past the series' bounds; partial repaints left old ones behind.
    setViewportUpdateMode(QGraphicsView::FullViewportUpdate);
    setMinimumHeight(220);
}

void THistoryChart::ShowHistory(const TValueHistory &history)
{
    QList<QPointF> points;
    QHash<int, QHash<QXYSeries::PointConfiguration, QVariant>> colours;
    const QList<TGraphPoint> &source = history.Points();
    for (int i = 0; i < source.size(); ++i) {
        points.append({source[i].X, source[i].Y});
        colours[i][QXYSeries::PointConfiguration::Color] = AlarmPointColour(source[i].AlarmState);
    }
    // Whole replacement: the configurations are kept by index, and the oldest point left.
    m_series->clearPointsConfiguration();
    m_series->replace(points);
    m_series->setPointsConfiguration(colours);
    if (!source.isEmpty())
        m_axisX->setRange(source.constFirst().X, qMax(source.constLast().X, source.constFirst().X + 1));
    const auto [low, high] = history.VerticalRange();
    m_axisY->setRange(low, high);
}

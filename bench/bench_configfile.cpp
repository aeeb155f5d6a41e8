// Configuration file benchmark (not a test): open, check and save a configuration file of
// each protocol with 16, 64 and 128 tags, as a document does it: read the file into the
// model (every warning rule runs), Validate, then fill the store and replace the file
// atomically. Prints median and worst of N runs (default 50) of the whole and of each step,
// and of the disk alone: the same bytes written through QSaveFile (write, sync, rename),
// which is what the save's atomic replace costs whatever Kova does.
#include "base/Prompt.h"
#include "config/ConfigFile.h"
#include "config/TagRules.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

// Counts what a run would show; a benchmark file must open without a word.
class CountingPrompt : public Prompt
{
public:
    int shown = 0;
    void error(const QString &) override { ++shown; }
    void warning(const QString &) override { ++shown; }
    void information(const QString &) override { ++shown; }
    bool warningYesNo(const QString &) override { return ++shown, false; }
    bool confirmYesNo(const QString &) override { return ++shown, false; }
    Answer confirmYesNoCancel(const QString &) override { return ++shown, Answer::Cancel; }
    QStringList openFiles(const FileRequest &) override { return {}; }
    QString saveFile(const FileRequest &) override { return {}; }
};

// Tags with every value field in use, so each row carries long real texts.
template <typename Tag>
void fillValueSide(Tag &tag, int i)
{
    tag.TagName = "TAG_" + QByteArray::number(i).rightJustified(3, '0');
    tag.WriteLimits = true;
    tag.AlarmEnable = tag.SendEMail = true;
    tag.Scale = TagScale::Linear;
    tag.ValueKind = TagValueKind::Real;
    tag.MinWrite.RealValue = -0.1f * float(i);
    tag.MaxWrite.RealValue = 1000.3f + float(i);
    tag.LowestAlarm.RealValue = 0.1f;
    tag.HighestAlarm.RealValue = 123456.78125f;
    tag.FactorA = 0.001f * float(i + 1);
    tag.FactorB = -273.15f;
}

void addTags(TConfigModel &model, int count)
{
    for (int i = 0; i < count; ++i) {
        switch (model.Protocol()) {
        case TagProtocol::Modbus: {
            TModbusTagConfig tag;
            fillValueSide(tag, i);
            tag.UnitID = 1 + i % 200;
            tag.TagType = ModbusType::Float;
            tag.Address = 1 + i * 2;
            tag.SendTrap = true;
            static_cast<TModbusConfigModel &>(model).AddTagToList(tag);
            break;
        }
        case TagProtocol::Hostlink: {
            THostlinkTagConfig tag;
            fillValueSide(tag, i);
            tag.UnitID = i % 100;
            tag.HostlinkFunction = HostlinkArea::DM;
            tag.TagType = HostlinkDF1Type::Float;
            tag.Address = i * 2;
            static_cast<THostlinkConfigModel &>(model).AddTagToList(tag);
            break;
        }
        case TagProtocol::DF1: {
            TDF1TagConfig tag;
            fillValueSide(tag, i);
            tag.FileType = DF1File::Float;
            tag.FileNumber = 8;
            tag.WordNumber = i;
            tag.TagType = HostlinkDF1Type::Float;
            static_cast<TDF1ConfigModel &>(model).AddTagToList(tag);
            break;
        }
        }
    }
}

std::unique_ptr<TConfigModel> newModel(TagProtocol protocol)
{
    switch (protocol) {
    case TagProtocol::Modbus:
        return std::make_unique<TModbusConfigModel>();
    case TagProtocol::Hostlink:
        return std::make_unique<THostlinkConfigModel>();
    case TagProtocol::DF1:
        break;
    }
    return std::make_unique<TDF1ConfigModel>();
}

struct Stats
{
    double median, worst;
};

Stats stats(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.back()};
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 50;
    CountingPrompt prompt;
    Prompt::install(&prompt);
    QTemporaryDir dir;

    std::printf("%d runs each, times in ms: median / worst\n\n", runs);
    std::printf("| protocol | tags | open, check, save | open | check | save | disk alone |\n"
                "|---|---:|---:|---:|---:|---:|---:|\n");
    const char *names[] = {"Modbus", "Hostlink", "DF1"};
    for (const TagProtocol protocol : {TagProtocol::Modbus, TagProtocol::Hostlink, TagProtocol::DF1}) {
        for (const int tags : {16, 64, 128}) {
            const QString path = dir.filePath(QStringLiteral("bench-%1-%2.ovc").arg(int(protocol)).arg(tags));
            {
                auto model = newModel(protocol);
                model->Email = {true, "smtp.example.com", "20", "5", "10", "gw@example.com", true, "user", "pw", "pw",
                                {"a@example.com", "b@example.com", "c@example.com"}};
                addTags(*model, tags);
                TConfigFile file;
                file.BindFresh(path);
                if (!file.Write(*model))
                    return 1;
            }
            QFile written(path);
            written.open(QIODevice::ReadOnly);
            const QByteArray bytes = written.readAll();
            const QString diskPath = dir.filePath(QStringLiteral("disk.ovc"));
            std::vector<double> total, open, check, save, disk;
            for (int run = 0; run < runs; ++run) {
                QElapsedTimer timer;
                timer.start();
                auto model = newModel(protocol);
                TConfigFile file;
                const bool opened = file.Open(path, *model).Opened;
                const qint64 t1 = timer.nsecsElapsed();
                const bool valid = model->Validate().Ok;
                const qint64 t2 = timer.nsecsElapsed();
                const bool saved = file.Write(*model);
                const qint64 t3 = timer.nsecsElapsed();
                if (!opened || !valid || !saved || model->GetTagCount() != tags || prompt.shown) {
                    std::fprintf(stderr, "run failed (%d messages)\n", prompt.shown);
                    return 1;
                }
                total.push_back(t3 / 1e6);
                open.push_back(t1 / 1e6);
                check.push_back((t2 - t1) / 1e6);
                save.push_back((t3 - t2) / 1e6);

                timer.restart();
                QSaveFile bare(diskPath);
                if (!bare.open(QIODevice::WriteOnly) || bare.write(bytes) != bytes.size() || !bare.commit())
                    return 1;
                disk.push_back(timer.nsecsElapsed() / 1e6);
            }
            const Stats t = stats(total), o = stats(open), c = stats(check), s = stats(save), d = stats(disk);
            std::printf("| %s | %d | %.2f / %.2f | %.2f / %.2f | %.3f / %.3f | %.2f / %.2f | %.2f / %.2f |\n",
                        names[int(protocol)], tags, t.median, t.worst, o.median, o.worst, c.median, c.worst, s.median,
                        s.worst, d.median, d.worst);
        }
    }
    Prompt::install(nullptr);
    return 0;
}

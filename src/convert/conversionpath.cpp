#include "convert/conversionpath.h"

#include "info/audiotags.h"
#include "platform/errors.h"

namespace audrel {

ConversionPath::ConversionPath(QObject* parent) : QObject(parent) {}

ConversionPath::~ConversionPath() = default;

QString ConversionPath::Prepare()
{
    if (m_prepared) return m_prepareError;
    m_prepared = true;
    try {
        Init();
    } catch (...) {
        m_prepareError = ExceptionText(std::current_exception());
    }
    return m_prepareError;
}

void ConversionPath::run(const TCvtItem& item, const QString& output)
{
    if (const QString error = Prepare(); !error.isEmpty()) {
        begin(item, output);
        return fail(error);
    }
    start(item, output);
}

void ConversionPath::begin(const TCvtItem& item, const QString& output)
{
    m_item = item;
    m_output = output;
}

void ConversionPath::complete()
{
    QString warning;
    if (m_carryTags) {
        // The output's kind is its destination's: a temporary name tells none.
        const AudioTags tags = ReadTags(m_item.SourcePath);
        const TagContainer container =
            m_resultTags != TagContainer::None ? m_resultTags : ContainerOf(m_item.DestPath);
        if (!tags.isEmpty()) warning = WriteTags(m_output, tags, container);
        if (!m_output.isEmpty()) warning.replace(m_output, m_item.DestPath);
    }
    emit finished(warning);
}

void ConversionPath::fail(QString message)
{
    // The user knows the file by its destination's name, not the one it is written under.
    if (!m_output.isEmpty()) message.replace(m_output, m_item.DestPath);
    emit failed(message);
}

} // namespace audrel

// qvbank: the bank tool. Reads its command line and hands the work to
// BankTasks; all the rules live there and in the bank library.
#include "banktasks.h"

#include <QCoreApplication>
#include <QHash>
#include <QSet>
#include <QTextStream>

#include <cstdio>

namespace {

QTextStream &out()
{
    static QTextStream s(stdout);
    return s;
}

QTextStream &err()
{
    static QTextStream s(stderr);
    return s;
}

const char kUsage[] = R"(用法：qvbank 命令 [选项] [文件...]

命令：
  build [--if-missing] [--require-explanations] --db 题库 --catalogue 目录 题源...
      先检查题源（UTF-8 的 Aiken 格式，以“$CATEGORY: 类别”行分类），
      通过后建立题库（english.db）和目录（mulu.txt），试题的解析存入题库的
      解析表 jx。已有的文件从不覆盖：不加 --if-missing 时视为错误；加了则保留
      已有文件。保留的题库缺少目录时，按该题库的类别建立目录。
  check [--require-explanations] 题源...
      检查题源文件。
  check [--require-explanations] --db 题库 --catalogue 目录
      检查题库和目录。
  create --db 题库 --catalogue 目录
      建立空题库和只有“全部中考试题”一行的目录；已有的文件从不覆盖。
  import --db 题库 --catalogue 目录 [--format aiken|gift|tsv] [--category 类别] 输入...
      把试题导入已有的题库。格式不指明时按扩展名（.gift、.tsv、.tab、.aiken）
      或内容判断。编码自动识别：有 BOM 的按 BOM（UTF-8、UTF-16），否则合乎
      UTF-8 的按 UTF-8，否则按 GB18030（GBK）。新试题的题号接在最后一题之后；
      与题库中或输入中前面的试题重复的跳过并报告；已有的试题不会改动；目录在
      末尾加上新类别。--category 给没有类别的试题指定类别。输入有错时一题也不导入。
      解析随试题导入：Aiken 的“解析: ”行，GIFT 答案块末尾“####”之后的总体反馈，
      制表符分隔文件的第 8 列。
  export --db 题库 --format aiken|gift [--force] [--with-explanations] 输出文件
      把题库导出为 UTF-8 的 Aiken 或 GIFT 文件。输出文件已存在时需加 --force。
      GIFT 文件把解析写作答案块末尾的“####解析”；Aiken 文件只在加了
      --with-explanations 时写出“解析: ”行（别的程序读 Aiken 时不认识这一行）。

题源的格式：每题一个题干，“A. ”到“D. ”四个选项，“ANSWER: 字母”一行，可以紧接
一行“解析: 说明”；题与题之间空一行。

检查的内容：每题四个选项，答案为 A–D；没有重复的试题（题干和选项相同，
比较时不计空白的多少和大小写，不计选项的次序）；每个类别都在目录中，目录中
每个类别（“全部中考试题”除外）都至少有一题；题号从 1 到 N 连续；批阅都为 0，
作答都为“E”；每个类别中每个答案字母占 20%–30%（按整题放宽到最近的整数）；
“解析:”行只能紧跟在 ANSWER 行之后；解析表 jx 中每条解析都有对应的试题，内容不为空。
加 --require-explanations 时，没有解析的试题也算问题。
每条问题都以所在位置开头：“文件:行号:”，题库中的试题为“文件:题号 N:”。

  qvbank --help     显示本说明

退出码：
  0  完成（导入时跳过了重复的试题也算完成）
  1  检查没有通过，或输入有错；没有写任何文件
  2  命令行用法错误
  3  文件无法读取或写入，或文件已经存在而不能覆盖
)";

int usageError(const QString &message)
{
    err() << "qvbank: " << message << "\n（用 qvbank --help 查看用法）\n";
    return BankTasks::Usage;
}

struct Arguments
{
    QHash<QString, QString> values;
    QSet<QString> flags;
    QStringList files;
    bool help = false;
};

// Splits a command's arguments into "--name value" (or "--name=value")
// options, flags and files. Returns an error text, or an empty one.
QString parseArguments(const QStringList &args, const QStringList &valueOptions, const QStringList &flagOptions,
                       Arguments *parsed)
{
    bool onlyFiles = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (onlyFiles || !arg.startsWith(QLatin1String("--")) || arg == QLatin1String("-")) {
            parsed->files << arg;
            continue;
        }
        if (arg == QLatin1String("--")) {
            onlyFiles = true;
            continue;
        }
        if (arg == QLatin1String("--help")) {
            parsed->help = true;
            continue;
        }
        const qsizetype equals = arg.indexOf(QLatin1Char('='));
        const QString name = arg.mid(2, equals < 0 ? -1 : equals - 2);
        if (flagOptions.contains(name) && equals < 0) {
            parsed->flags.insert(name);
        } else if (valueOptions.contains(name)) {
            if (parsed->values.contains(name))
                return QStringLiteral("选项 --%1 给了不止一次").arg(name);
            if (equals >= 0)
                parsed->values.insert(name, arg.mid(equals + 1));
            else if (i + 1 < args.size())
                parsed->values.insert(name, args.at(++i));
            else
                return QStringLiteral("选项 --%1 缺少值").arg(name);
            if (parsed->values.value(name).isEmpty())
                return QStringLiteral("选项 --%1 的值为空").arg(name);
        } else {
            return QStringLiteral("不认识的选项 %1").arg(arg);
        }
    }
    return QString();
}

int report(const BankTasks::Outcome &outcome)
{
    for (const QString &line : outcome.notes)
        out() << line << "\n";
    out().flush();
    for (const QString &line : outcome.warnings)
        err() << line << "\n";
    for (const QString &line : outcome.problems)
        err() << line << "\n";
    err().flush();
    return outcome.status;
}

// Checks that the options the command needs are there.
QString missing(const Arguments &args, const QStringList &required)
{
    for (const QString &name : required) {
        if (!args.values.contains(name))
            return QStringLiteral("缺少选项 --%1").arg(name);
    }
    return QString();
}

const QString kDb = QStringLiteral("db");
const QString kCatalogue = QStringLiteral("catalogue");
const QString kFormat = QStringLiteral("format");
const QString kCategory = QStringLiteral("category");
const QString kIfMissing = QStringLiteral("if-missing");
const QString kForce = QStringLiteral("force");
const QString kRequireExplanations = QStringLiteral("require-explanations");
const QString kWithExplanations = QStringLiteral("with-explanations");

int runBuild(const Arguments &args)
{
    if (const QString error = missing(args, {kDb, kCatalogue}); !error.isEmpty())
        return usageError(error);
    if (args.files.isEmpty())
        return usageError(QStringLiteral("build 需要至少一个题源文件"));
    return report(BankTasks::build({args.values.value(kDb), args.values.value(kCatalogue), args.files,
                                    args.flags.contains(kIfMissing), args.flags.contains(kRequireExplanations)}));
}

int runCheck(const Arguments &args)
{
    const bool requireExplanations = args.flags.contains(kRequireExplanations);
    if (args.values.isEmpty()) {
        if (args.files.isEmpty())
            return usageError(QStringLiteral("check 需要题源文件，或 --db 和 --catalogue"));
        return report(BankTasks::checkSources(args.files, requireExplanations));
    }
    if (const QString error = missing(args, {kDb, kCatalogue}); !error.isEmpty())
        return usageError(error);
    if (!args.files.isEmpty())
        return usageError(QStringLiteral("检查题库时不能同时给出题源文件"));
    return report(BankTasks::checkBank(args.values.value(kDb), args.values.value(kCatalogue), requireExplanations));
}

int runCreate(const Arguments &args)
{
    if (const QString error = missing(args, {kDb, kCatalogue}); !error.isEmpty())
        return usageError(error);
    if (!args.files.isEmpty())
        return usageError(QStringLiteral("create 不接受文件参数"));
    return report(BankTasks::create(args.values.value(kDb), args.values.value(kCatalogue)));
}

int runImport(const Arguments &args)
{
    if (const QString error = missing(args, {kDb, kCatalogue}); !error.isEmpty())
        return usageError(error);
    if (args.files.isEmpty())
        return usageError(QStringLiteral("import 需要至少一个输入文件"));
    return report(BankTasks::importInputs({args.values.value(kDb), args.values.value(kCatalogue), args.files,
                                           args.values.value(kFormat), args.values.value(kCategory)}));
}

int runExport(const Arguments &args)
{
    if (const QString error = missing(args, {kDb, kFormat}); !error.isEmpty())
        return usageError(error);
    if (args.files.size() != 1)
        return usageError(QStringLiteral("export 需要恰好一个输出文件"));
    return report(BankTasks::exportBank({args.values.value(kDb), args.values.value(kFormat), args.files.first(),
                                         args.flags.contains(kForce), args.flags.contains(kWithExplanations)}));
}

struct Command
{
    QString name;
    QStringList valueOptions;
    QStringList flagOptions;
    int (*run)(const Arguments &);
};

int runCommand(const QString &name, const QStringList &rest)
{
    const QList<Command> commands{
        {QStringLiteral("build"), {kDb, kCatalogue}, {kIfMissing, kRequireExplanations}, runBuild},
        {QStringLiteral("check"), {kDb, kCatalogue}, {kRequireExplanations}, runCheck},
        {QStringLiteral("create"), {kDb, kCatalogue}, {}, runCreate},
        {QStringLiteral("import"), {kDb, kCatalogue, kFormat, kCategory}, {}, runImport},
        {QStringLiteral("export"), {kDb, kFormat}, {kForce, kWithExplanations}, runExport},
    };
    for (const Command &command : commands) {
        if (command.name != name)
            continue;
        Arguments args;
        const QString error = parseArguments(rest, command.valueOptions, command.flagOptions, &args);
        if (!error.isEmpty())
            return usageError(error);
        if (args.help) {
            out() << kUsage;
            return BankTasks::Ok;
        }
        return command.run(args);
    }
    return usageError(QStringLiteral("不认识的命令“%1”").arg(name));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty()) {
        err() << kUsage;
        return BankTasks::Usage;
    }
    const QString command = args.takeFirst();
    if (command == QLatin1String("--help") || command == QLatin1String("-h") || command == QLatin1String("help")) {
        out() << kUsage;
        return BankTasks::Ok;
    }
    return runCommand(command, args);
}

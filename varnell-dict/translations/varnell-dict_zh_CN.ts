<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>DictionaryFormat</name>
    <message>
        <source>no such file</source>
        <translation>文件不存在</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>不是普通文件</translation>
    </message>
    <message>
        <source>cannot be read</source>
        <translation>无法读取</translation>
    </message>
    <message>
        <source>neither the new file nor the old one is there</source>
        <translation>新文件和旧文件都不在</translation>
    </message>
    <message>
        <source>a write was interrupted and cannot be finished or rolled back</source>
        <translation>有一次写入被中断，既无法完成也无法回滚</translation>
    </message>
    <message>
        <source>another program changed the files since they were read; nothing was written, run the command again</source>
        <translation>读取之后文件已被另一个程序改动；未写入任何文件，请重新运行该命令</translation>
    </message>
    <message>
        <source>(the write was committed: the next command that opens the folder finishes it)</source>
        <translation>（这次写入已提交：下一个打开该文件夹的命令会完成它）</translation>
    </message>
    <message>
        <source>changed while writing; nothing written. Another program saved it after varnell-dict had read it, and its change is kept; run the command again</source>
        <translation>写入期间被改动；未写入任何文件。另一个程序在 varnell-dict 读取之后保存了它，它的改动已保留；请重新运行该命令</translation>
    </message>
    <message>
        <source>(nothing was written)</source>
        <translation>（未写入任何文件）</translation>
    </message>
    <message>
        <source>an earlier version recorded here a write interrupted in %1, and this folder was copied or moved from there since: that write is neither finished nor rolled back here, so as not to change %1. If %1 is still there, run &apos;%2 check --texts %1&apos; in it and copy the folder again; otherwise remove %3 and run &apos;%2 check&apos; to see whether the files line up</source>
        <translation>旧版本在这里记录了一次在 %1 中被中断的写入，而这个文件夹是之后从那里复制或移动过来的：为了不改动 %1，这次写入在这里既不完成也不回滚。如果 %1 还在，请在那里运行“%2 check --texts %1”，然后重新复制这个文件夹；否则请删除 %3，并运行“%2 check”查看各文件是否对齐</translation>
    </message>
    <message>
        <source>nothing was changed. Run &apos;%1 check&apos; to see whether the files line up, then remove %2 to go on with them as they are, or &apos;%1 undo&apos; to take back the last whole write</source>
        <translation>没有改动任何文件。请运行“%1 check”查看各文件是否对齐，然后删除 %2 以按现状继续使用，或用“%1 undo”撤销上一次完整的写入</translation>
    </message>
    <message>
        <source>the record is damaged</source>
        <translation>记录已损坏</translation>
    </message>
    <message>
        <source>another program has been writing the folder for %1 seconds; nothing was read or written. Run the command again when it has finished (VARNELL_DICT_LOCK_TIMEOUT sets how many seconds to wait)</source>
        <translation>另一个程序已经写入该文件夹 %1 秒；未读取也未写入任何文件。请等它结束后重新运行该命令（VARNELL_DICT_LOCK_TIMEOUT 设定等待的秒数）</translation>
    </message>
</context>
<context>
    <name>DictionaryTable</name>
    <message>
        <source>a line break inside the cell</source>
        <translation>单元格内有换行</translation>
    </message>
    <message>
        <source>the first row must name the columns %1</source>
        <translation>第一行必须依次给出列名 %1</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not an entry number from 1 to %2; leave the cell empty for a new entry</source>
        <translation>“%1”不是 1 到 %2 之间的词条编号；新词条请让这个单元格留空</translation>
    </message>
    <message>
        <source>entry number %1 is already on row %2</source>
        <translation>词条编号 %1 已在第 %2 行</translation>
    </message>
    <message>
        <source>out of memory</source>
        <translation>内存不足</translation>
    </message>
    <message>
        <source>the cell is too large</source>
        <translation>单元格过大</translation>
    </message>
    <message>
        <source>a quote inside a cell that does not begin with one, or text after a closing quote; write a quote inside a quoted cell as &quot;&quot;</source>
        <translation>引号出现在不以引号开头的单元格中，或闭合引号之后还有文字；带引号的单元格中的引号要写成 &quot;&quot;</translation>
    </message>
    <message>
        <source>a quoted cell is never closed</source>
        <translation>带引号的单元格没有闭合</translation>
    </message>
    <message>
        <source>row %1, column %2 (%3): %4</source>
        <translation>第 %1 行，第 %2 列（%3）：%4</translation>
    </message>
    <message>
        <source>row %1, column %2: %3</source>
        <translation>第 %1 行，第 %2 列：%3</translation>
    </message>
    <message>
        <source>expected %1 cells, found %2</source>
        <translation>应有 %1 个单元格，实有 %2 个</translation>
    </message>
    <message>
        <source>bytes that are not UTF-8; save the table as CSV with the character set Unicode (UTF-8)</source>
        <translation>有不是 UTF-8 的字节；请把表格另存为字符集为 Unicode (UTF-8) 的 CSV</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is UTF-8 read as a Western single-byte character set (Windows-1252 or ISO 8859-1); it was probably &quot;%2&quot;. Open the exported table again choosing the character set Unicode (UTF-8), and save it so</source>
        <translation>“%1”是被当作西欧单字节字符集（Windows-1252 或 ISO 8859-1）读取的 UTF-8 文本；原文大概是“%2”。请重新打开导出的表格，选择字符集 Unicode (UTF-8)，并以此保存</translation>
    </message>
    <message>
        <source>the cells are separated by &apos;%1&apos; instead of &apos;%2&apos;: save the table again with &apos;%2&apos; as the field delimiter (LibreOffice: Save As, Edit filter settings; Excel: CSV UTF-8 (Comma delimited))</source>
        <translation>单元格以“%1”而不是“%2”分隔：请以“%2”作为字段分隔符重新保存表格（LibreOffice：另存为，编辑筛选器设置；Excel：CSV UTF-8（逗号分隔））</translation>
    </message>
    <message>
        <source>a spreadsheet probably split a cell at &apos;;&apos; (or at another separator ticked besides &apos;%1&apos;): open the table again with only &apos;%1&apos; ticked as separator (LibreOffice: Text Import, Separator Options), or export it again, which quotes such cells</source>
        <translation>电子表格大概在“;”处（或在“%1”之外勾选的其他分隔符处）拆开了一个单元格：请重新打开表格，分隔符只勾选“%1”（LibreOffice：文本导入，分隔符选项），或重新导出，导出时这样的单元格会加引号</translation>
    </message>
</context>
<context>
    <name>QCommandLineParser</name>
    <message>
        <source>Usage: %1</source>
        <translation>用法：%1</translation>
    </message>
    <message>
        <source>Options:</source>
        <translation>选项：</translation>
    </message>
    <message>
        <source>Arguments:</source>
        <translation>参数：</translation>
    </message>
    <message>
        <source>[options]</source>
        <translation>[选项]</translation>
    </message>
    <message>
        <source>Unknown option &apos;%1&apos;.</source>
        <translation>未知的选项“%1”。</translation>
    </message>
    <message>
        <source>Unknown options: %1.</source>
        <translation>未知的选项：%1。</translation>
    </message>
    <message>
        <source>Missing value after &apos;%1&apos;.</source>
        <translation>“%1”后缺少值。</translation>
    </message>
    <message>
        <source>Unexpected value after &apos;%1&apos;.</source>
        <translation>“%1”后有多余的值。</translation>
    </message>
</context>
<context>
    <name>VarnellDict</name>
    <message>
        <source>phrases and phrase translations differ in number (%1 against %2): give one --phrase-translation for each --phrase</source>
        <translation>词组与词组翻译数量不同（%1 对 %2）：每个 --phrase 都需要一个 --phrase-translation</translation>
    </message>
    <message>
        <source>%1 holds a line break</source>
        <translation>%1 含有换行</translation>
    </message>
    <message>
        <source>%1 holds the separator &apos;%2&apos;: the window would read it as two pieces</source>
        <translation>%1 含有分隔符“%2”：窗口会把它读成两段</translation>
    </message>
    <message>
        <source>a phrase or phrase translation is empty</source>
        <translation>有一个词组或词组翻译为空</translation>
    </message>
    <message>
        <source>The part-of-speech tags, separated by &apos;;&apos; (e.g. &quot;ko.;n.&quot;).</source>
        <translation>词性标记，以“;”分隔（例如 &quot;ko.;n.&quot;）。</translation>
    </message>
    <message>
        <source>TAGS</source>
        <translation>TAGS</translation>
    </message>
    <message>
        <source>A phrase with the word (repeatable).</source>
        <translation>含该单词的词组（可重复）。</translation>
    </message>
    <message>
        <source>PHRASE</source>
        <translation>PHRASE</translation>
    </message>
    <message>
        <source>The translation of the phrase in the same place (repeatable).</source>
        <translation>同一位置词组的翻译（可重复）。</translation>
    </message>
    <message>
        <source>TEXT</source>
        <translation>TEXT</translation>
    </message>
    <message>
        <source>Add the word even if it is one already (the earlier record can then no longer be found by its word).</source>
        <translation>即使单词已存在也添加（之后将无法再按单词找到先前的词条）。</translation>
    </message>
    <message>
        <source>The new word.</source>
        <translation>新单词。</translation>
    </message>
    <message>
        <source>Its Chinese translation.</source>
        <translation>它的中文翻译。</translation>
    </message>
    <message>
        <source>add needs a WORD and a TRANSLATION</source>
        <translation>add 需要一个单词和一个翻译</translation>
    </message>
    <message>
        <source>the word and the translation must not be empty</source>
        <translation>单词和翻译都不能为空</translation>
    </message>
    <message>
        <source>the files of %1 have different line counts, so a new last line would not be one entry; &apos;%2 check&apos; shows why</source>
        <translation>%1 中各文件的行数不同，新加的末行不会成为同一个词条；“%2 check”会说明原因</translation>
    </message>
    <message>
        <source>%1 is the word of line %2 already (letter case ignored); --force adds it anyway</source>
        <translation>%1 已是第 %2 行的单词（不区分大小写）；--force 可强制添加</translation>
    </message>
    <message>
        <source>Exit with 1 on a warning too.</source>
        <translation>有警告时也以 1 退出。</translation>
    </message>
    <message>
        <source>The part-of-speech tags to accept, separated by blanks or commas (default: %1).</source>
        <translation>接受的词性标记，以空格或逗号分隔（默认：%1）。</translation>
    </message>
    <message>
        <source>unexpected argument &apos;%1&apos;</source>
        <translation>多余的参数“%1”</translation>
    </message>
    <message>
        <source>%1 is not a folder</source>
        <translation>%1 不是文件夹</translation>
    </message>
    <message>
        <source>%1 errors, %2 warnings, %3 entries</source>
        <translation>%1 个错误，%2 个警告，%3 个词条</translation>
    </message>
    <message>
        <source>the file is missing</source>
        <translation>文件不存在</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>不是普通文件</translation>
    </message>
    <message>
        <source>the file cannot be read: %1</source>
        <translation>无法读取文件：%1</translation>
    </message>
    <message>
        <source>byte 0x%1 at column %2 is not UTF-8 (the window shows %3)</source>
        <translation>第 %2 列的字节 0x%1 不是 UTF-8（窗口显示为 %3）</translation>
    </message>
    <message>
        <source>carriage return at column %1 inside the line: reading the file drops it, so the window and an export show the line without it</source>
        <translation>第 %1 列的回车符（CR）在行内：读取文件时会被丢弃，窗口和导出的表格里这一行都没有它</translation>
    </message>
    <message>
        <source>byte-order mark at column %1: invisible, but part of the text, so the word or translation no longer matches</source>
        <translation>第 %1 列有字节顺序标记：看不见，却是文本的一部分，单词或翻译因此不再匹配</translation>
    </message>
    <message>
        <source>mixed line ends (CR LF: %1, LF alone: %2): this line ends differently from line 1</source>
        <translation>换行符混用（CR LF：%1，仅 LF：%2）：本行的换行符与第 1 行不同</translation>
    </message>
    <message>
        <source>line count %1, but the other files have %2 lines (the window reads only the first %3 lines of each file)</source>
        <translation>行数为 %1，而其他文件有 %2 行（窗口只读取每个文件的前 %3 行）</translation>
    </message>
    <message>
        <source>word %1 has no translation on this line of %2</source>
        <translation>单词 %1 在 %2 的这一行没有翻译</translation>
    </message>
    <message>
        <source>translation %1 has no word on this line of %2</source>
        <translation>翻译 %1 在 %2 的这一行没有单词</translation>
    </message>
    <message>
        <source>%1 repeats the word of line %2 (letter case ignored): the record of line %2 can no longer be found by its word</source>
        <translation>%1 与第 %2 行的单词重复（不区分大小写）：第 %2 行的词条再也无法按单词找到</translation>
    </message>
    <message>
        <source>text on a gap line (no word and no translation): the window ignores it</source>
        <translation>空行（无单词也无翻译）上有文本：窗口会忽略它</translation>
    </message>
    <message>
        <source>full-width &apos;%1&apos; where &apos;%2&apos; was probably meant</source>
        <translation>全角“%1”，此处应该是“%2”</translation>
    </message>
    <message>
        <source>an empty tag between separators</source>
        <translation>分隔符之间有空标记</translation>
    </message>
    <message>
        <source>an empty or blank piece between separators</source>
        <translation>分隔符之间有空白片段</translation>
    </message>
    <message>
        <source>phrase %1</source>
        <translation>词组 %1</translation>
    </message>
    <message>
        <source>translation %1</source>
        <translation>翻译 %1</translation>
    </message>
    <message>
        <source>phrases and their translations differ in number (%1 against %2 on this line of %3): the window drops %4</source>
        <translation>词组与其翻译数量不同（%1 对 %3 这一行的 %2）：窗口会丢弃 %4</translation>
    </message>
    <message>
        <source>Ask the search for at most N results (default: 10, as the window).</source>
        <translation>最多查询 N 个结果（默认：10，与窗口相同）。</translation>
    </message>
    <message>
        <source>N</source>
        <translation>N</translation>
    </message>
    <message>
        <source>Write the window&apos;s load report and search traces to standard error.</source>
        <translation>把窗口的加载报告和搜索跟踪写到标准错误。</translation>
    </message>
    <message>
        <source>What to search for, as typed into the window.</source>
        <translation>要查询的内容，与在窗口中输入的一样。</translation>
    </message>
    <message>
        <source>[QUERY...]</source>
        <translation>[QUERY...]</translation>
    </message>
    <message>
        <source>--limit needs a whole number of at least 1, not &apos;%1&apos;</source>
        <translation>--limit 需要不小于 1 的整数，而不是“%1”</translation>
    </message>
    <message>
        <source>the dictionary in %1 does not load; &apos;%2 check --texts %1&apos; says why</source>
        <translation>%1 中的词典无法加载；“%2 check --texts %1”会说明原因</translation>
    </message>
    <message>
        <source>Report every problem of the dictionary files</source>
        <translation>报告词典文件中的每个问题</translation>
    </message>
    <message>
        <source>Search the dictionary as the window does</source>
        <translation>像窗口一样查询词典</translation>
    </message>
    <message>
        <source>Append one entry to all five files</source>
        <translation>向五个文件各追加一行，作为一个词条</translation>
    </message>
    <message>
        <source>Show this help and exit.</source>
        <translation>显示本帮助并退出。</translation>
    </message>
    <message>
        <source>Read the dictionary files in DIR (default: %1).</source>
        <translation>读取 DIR 中的词典文件（默认：%1）。</translation>
    </message>
    <message>
        <source>DIR</source>
        <translation>DIR</translation>
    </message>
    <message>
        <source>Try &apos;%1 %2&apos; for more information.</source>
        <translation>运行“%1 %2”了解更多信息。</translation>
    </message>
    <message>
        <source>Commands:</source>
        <translation>命令：</translation>
    </message>
    <message>
        <source>Every command reads the dictionary folder given by --texts DIR (default: ./texts, as the window).
Run &apos;%1 help COMMAND&apos; for the options of a command.

Exit status: 0 success; 1 the command ran and found problems, found nothing or refused; 2 bad usage, or a file that cannot be read or written.
</source>
        <translation>每个命令都读取 --texts DIR 指定的词典文件夹（默认：./texts，与窗口相同）。
运行“%1 help COMMAND”查看某个命令的选项。

退出状态：0 成功；1 命令已运行但发现问题、没有找到结果或拒绝执行；2 用法错误，或有文件无法读写。
</translation>
    </message>
    <message>
        <source>unknown command &apos;%1&apos;</source>
        <translation>未知的命令“%1”</translation>
    </message>
    <message>
        <source>Checks, searches and edits the five text files of a varnell dictionary.</source>
        <translation>检查、查询和编辑 varnell 词典的五个文本文件。</translation>
    </message>
    <message>
        <source>Show the program&apos;s version and exit.</source>
        <translation>显示程序版本并退出。</translation>
    </message>
    <message>
        <source>The command to run (see below).</source>
        <translation>要运行的命令（见下）。</translation>
    </message>
    <message>
        <source>COMMAND [ARGUMENTS...]</source>
        <translation>COMMAND [ARGUMENTS...]</translation>
    </message>
    <message>
        <source>no command given</source>
        <translation>没有给出命令</translation>
    </message>
    <message>
        <source>Write the dictionary as a CSV or TSV table, or for dictionary readers and flashcards</source>
        <translation>把词典写成 CSV 或 TSV 表格，或写成词典阅读程序和抽认卡的格式</translation>
    </message>
    <message>
        <source>Replace the five files by a CSV or TSV table</source>
        <translation>用 CSV 或 TSV 表格替换五个文件</translation>
    </message>
    <message>
        <source>Convert a FreeDict dictionary (dictd format)</source>
        <translation>转换 FreeDict 词典（dictd 格式）</translation>
    </message>
    <message>
        <source>Write a made-up dictionary of any size</source>
        <translation>生成任意大小的虚构词典</translation>
    </message>
    <message>
        <source>The folder to write.</source>
        <translation>要写入的文件夹。</translation>
    </message>
    <message>
        <source>give the folder as DIR or as --texts DIR, not both</source>
        <translation>文件夹请用 DIR 或 --texts DIR 给出，不要两者都给</translation>
    </message>
    <message>
        <source>%1 takes %2 arguments, then the folder DIR</source>
        <translation>%1 需要 %2 个参数，然后是文件夹 DIR</translation>
    </message>
    <message>
        <source>The table has a header row and one row per line number, with the columns number, word, translation, partOfSpeech, phrases and phraseTranslations (the phrases of a line in one cell, joined with &apos;,&apos;). FILE ending in .csv is CSV (RFC 4180), in .tsv tab-separated; both UTF-8.</source>
        <translation>表格先有一行表头，之后每个行号一行，各列为 number、word、translation、partOfSpeech、phrases 和 phraseTranslations（一行的短语放在同一个单元格里，以“,”连接）。FILE 以 .csv 结尾时为 CSV（RFC 4180），以 .tsv 结尾时以制表符分隔；两者都是 UTF-8。</translation>
    </message>
    <message>
        <source>The table (.csv or .tsv).</source>
        <translation>表格文件（.csv 或 .tsv）。</translation>
    </message>
    <message>
        <source>%1 needs one FILE</source>
        <translation>%1 需要一个 FILE</translation>
    </message>
    <message>
        <source>%1: the file name must end in .csv or .tsv</source>
        <translation>%1：文件名必须以 .csv 或 .tsv 结尾</translation>
    </message>
    <message>
        <source>%1: not a regular file</source>
        <translation>%1：不是普通文件</translation>
    </message>
    <message>
        <source>%1: no such file</source>
        <translation>%1：文件不存在</translation>
    </message>
    <message>
        <source>Writes the dictionary as one table, to edit in a spreadsheet and bring back with import.</source>
        <translation>把词典写成一张表格，以便在电子表格软件中编辑，再用 import 导回。</translation>
    </message>
    <message>
        <source>%1: cannot create the folder</source>
        <translation>%1：无法创建文件夹</translation>
    </message>
    <message>
        <source>Converts a FreeDict dictionary in dictd format (an .index file and its .dict or .dict.dz file) into the five dictionary files in DIR (or the --texts folder), created when needed.</source>
        <translation>把 dictd 格式的 FreeDict 词典（一个 .index 文件及其 .dict 或 .dict.dz 文件）转换为 DIR（或 --texts 指定的文件夹）中的五个词典文件，需要时创建该文件夹。</translation>
    </message>
    <message>
        <source>Print what became of the source&apos;s articles.</source>
        <translation>打印源词典中各条目的处理结果。</translation>
    </message>
    <message>
        <source>The .index file.</source>
        <translation>.index 文件。</translation>
    </message>
    <message>
        <source>The .dict file, or the compressed .dict.dz.</source>
        <translation>.dict 文件，或压缩的 .dict.dz 文件。</translation>
    </message>
    <message>
        <source>Writes a made-up dictionary of ENTRIES lines into DIR (or the --texts folder), created when needed: words of syllables, Chinese translations, up to four phrases each. The same ENTRIES and SEED always give the same files.</source>
        <translation>把一部有 ENTRIES 行的虚构词典写入 DIR（或 --texts 指定的文件夹），需要时创建该文件夹：词由音节组成，配有中文释义，每条最多四个短语。相同的 ENTRIES 和 SEED 总是生成相同的文件。</translation>
    </message>
    <message>
        <source>How many entries.</source>
        <translation>词条数。</translation>
    </message>
    <message>
        <source>A non-negative integer that picks the words.</source>
        <translation>决定生成哪些词的非负整数。</translation>
    </message>
    <message>
        <source>ENTRIES must be a count and SEED a non-negative integer</source>
        <translation>ENTRIES 必须是数量，SEED 必须是非负整数</translation>
    </message>
    <message>
        <source>Write the dictionary as a web edition</source>
        <translation>把词典发布为网页版</translation>
    </message>
    <message>
        <source>%1: cannot read the page&apos;s file</source>
        <translation>%1：无法读取网页的文件</translation>
    </message>
    <message>
        <source>Writes the dictionary as a web edition into OUTDIR, created when needed: a page that searches as the window does, in any browser, served from any web server or opened from disk, and offline.</source>
        <translation>把词典写成网页版，放进 OUTDIR（需要时创建）：一个与窗口搜索结果相同的网页，可在任何浏览器中使用，可由任何网页服务器提供或直接从磁盘打开，也可离线使用。</translation>
    </message>
    <message>
        <source>The folder to write the web edition into.</source>
        <translation>写入网页版的文件夹。</translation>
    </message>
    <message>
        <source>%1, written by varnell-dict export: %2 entries.</source>
        <translation>%1，由 varnell-dict export 写出：%2 个词条。</translation>
    </message>
    <message>
        <source>left out: %1 empty lines, %2 entries without a word or a translation</source>
        <translation>已略去：%1 个空行，%2 个没有单词或翻译的词条</translation>
    </message>
    <message>
        <source>NAME</source>
        <translation>名称</translation>
    </message>
    <message>
        <source>unknown format &apos;%1&apos;</source>
        <translation>未知的格式“%1”</translation>
    </message>
    <message>
        <source>--format stardict writes two StarDict dictionaries: FILE, an .ifo (words to Chinese), and beside it the same name ending in -zh.ifo (Chinese to words), each with its .idx, .dict.dz and .syn. --format dictd writes two dictd databases likewise: FILE, an .index, and its -zh.index, each with its .dict.dz. --format anki writes one file of notes to import into Anki. Empty lines and entries without a word or translation are left out, and counted on stderr.</source>
        <translation>--format stardict 写出两部 StarDict 词典：FILE，即一个 .ifo（禾岚 → 中文），以及旁边同名但以 -zh.ifo 结尾的词典（中文 → 禾岚），各带 .idx、.dict.dz 和 .syn。--format dictd 同样写出两个 dictd 数据库：FILE，即一个 .index，以及它的 -zh.index，各带 .dict.dz。--format anki 写出一个可导入 Anki 的笔记文件。空行以及没有单词或翻译的词条会被略去，其数目写到标准错误。</translation>
    </message>
    <message>
        <source>Change fields of one entry in place</source>
        <translation>就地修改一个词条的字段</translation>
    </message>
    <message>
        <source>Empty the lines of entries, keeping every number</source>
        <translation>清空词条所在的行，所有编号保持不变</translation>
    </message>
    <message>
        <source>Restore the files as they were before the last write</source>
        <translation>把文件恢复为上一次写入之前的样子</translation>
    </message>
    <message>
        <source>List the kept writes</source>
        <translation>列出保留的写入记录</translation>
    </message>
    <message>
        <source>%1: finished a write that was interrupted; the files are the new ones (&apos;%2 undo&apos; takes it back)</source>
        <translation>%1：已完成一次被中断的写入；现在的文件是新的（“%2 undo”可撤销）</translation>
    </message>
    <message>
        <source>%1: rolled back a write that was interrupted; the files are as they were before it</source>
        <translation>%1：已回滚一次被中断的写入；文件保持写入之前的样子</translation>
    </message>
    <message>
        <source>... and %1 more findings (--max)</source>
        <translation>……另有 %1 个问题未列出（--max）</translation>
    </message>
    <message>
        <source>%1 %2: %3, the first at %4</source>
        <translation>%1 %2：%3 个，第一个在 %4</translation>
    </message>
    <message>
        <source>Reports every problem of the dictionary files as PATH:LINE: error: MESSAGE or PATH:LINE: warning: MESSAGE, then per code how many and the first, then one summary line. Where the files stop lining up, that finding comes first and the findings about the lines after it that follow from it are counted under it. Exits with 1 when there is an error.</source>
        <translation>以 PATH:LINE: error: 信息 或 PATH:LINE: warning: 信息 的形式报告词典文件中的每个问题，然后按代码列出数量和第一处，最后输出一行汇总。若各文件从某行起错位，这一问题排在最前，由它引起的后续各行的问题只计数、不逐条列出。存在错误时退出状态为 1。</translation>
    </message>
    <message>
        <source>Print one JSON object per finding and line (file, line, severity, code, message) instead, and last one object {&quot;summary&quot;: {errors, warnings, entries, notShown, codes}}.</source>
        <translation>改为每个问题输出一行 JSON 对象（file、line、severity、code、message），最后输出一个对象 {&quot;summary&quot;: {errors, warnings, entries, notShown, codes}}。</translation>
    </message>
    <message>
        <source>Print at most N findings, then how many more there are.</source>
        <translation>最多列出 N 个问题，然后说明还有多少个。</translation>
    </message>
    <message>
        <source>Report only the findings of these codes, separated by commas (e.g. duplicate-word,phrase-count).</source>
        <translation>只报告这些代码的问题，以逗号分隔（例如 duplicate-word,phrase-count）。</translation>
    </message>
    <message>
        <source>CODES</source>
        <translation>CODES</translation>
    </message>
    <message>
        <source>--max needs a whole number of at least 0, not &apos;%1&apos;</source>
        <translation>--max 需要不小于 0 的整数，而不是“%1”</translation>
    </message>
    <message>
        <source>part-of-speech tag %1 is not one of: %2 (on %3 lines, this the first)</source>
        <translation>词性标记 %1 不在以下之列：%2（共 %3 行，这是第一行）</translation>
    </message>
    <message>
        <source>(%1 findings about the lines after it follow from it and are not listed)</source>
        <translation>（其后各行的 %1 个问题由此引起，不再逐条列出）</translation>
    </message>
    <message>
        <source>Write nothing: say what the import would do and list its first changes.</source>
        <translation>不写入任何文件：说明导入将做什么，并列出最先的几处改动。</translation>
    </message>
    <message>
        <source>Import even when more than half of the entries would be emptied.</source>
        <translation>即使超过一半的词条会被清空也导入。</translation>
    </message>
    <message>
        <source>Import even when a number would add more than 1000 empty lines.</source>
        <translation>即使某个编号会增加 1000 多个空行也导入。</translation>
    </message>
    <message>
        <source>(nothing was written)</source>
        <translation>（未写入任何文件）</translation>
    </message>
    <message>
        <source>the table has no entry rows, only its header</source>
        <translation>表格只有表头，没有词条行</translation>
    </message>
    <message>
        <source>entry number %1 would add %2 empty lines after the last entry; is it mistyped? --allow-gaps imports it</source>
        <translation>词条编号 %1 会在最后一个词条之后增加 %2 个空行；是否输错了？--allow-gaps 可照样导入</translation>
    </message>
    <message>
        <source>the table would empty %1 of the dictionary&apos;s %2 entries (it lacks their rows or their words); --allow-removals imports it</source>
        <translation>该表格会清空词典 %2 个词条中的 %1 个（表格缺少它们的行或单词）；--allow-removals 可照样导入</translation>
    </message>
    <message>
        <source>row %1: %2 [%3]; --force imports it</source>
        <translation>第 %1 行：%2 [%3]；--force 可照样导入</translation>
    </message>
    <message>
        <source>entry %1, %2: &quot;%3&quot; -&gt; &quot;%4&quot;</source>
        <translation>词条 %1，%2：“%3” -&gt; “%4”</translation>
    </message>
    <message>
        <source>%1 added, %2 changed, %3 emptied, %4 unchanged</source>
        <translation>新增 %1，修改 %2，清空 %3，未变 %4</translation>
    </message>
    <message>
        <source>would import: %1 (nothing written)</source>
        <translation>将导入：%1（未写入任何文件）</translation>
    </message>
    <message>
        <source>imported: %1</source>
        <translation>已导入：%1</translation>
    </message>
    <message>
        <source>%1 holds bytes that are not UTF-8</source>
        <translation>%1 含有不是 UTF-8 的字节</translation>
    </message>
    <message>
        <source>the files of %1 have different line counts, so a line number is not one entry; &apos;%2 check&apos; shows why</source>
        <translation>%1 中各文件的行数不同，行号不对应同一个词条；“%2 check”会说明原因</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not an entry number from 1 to %2</source>
        <translation>“%1”不是 1 到 %2 之间的词条编号</translation>
    </message>
    <message>
        <source>Changes the fields given of entry NUMBER in place; the others stay. Refuses what add refuses (a word that already is one unless --force, separators or line breaks inside a field, phrases and translations of unequal number), writing nothing.</source>
        <translation>就地修改编号为 NUMBER 的词条中给出的字段，其他字段不变。add 拒绝的内容它同样拒绝（已存在的单词，除非给出 --force；字段内的分隔符或换行；词组与翻译数量不同），此时不写入任何文件。</translation>
    </message>
    <message>
        <source>WORD</source>
        <translation>WORD</translation>
    </message>
    <message>
        <source>The new Chinese translation.</source>
        <translation>新的中文翻译。</translation>
    </message>
    <message>
        <source>A phrase with the word (repeatable; replaces all phrases).</source>
        <translation>含该单词的词组（可重复；替换全部词组）。</translation>
    </message>
    <message>
        <source>Remove the entry&apos;s phrases.</source>
        <translation>删除该词条的词组。</translation>
    </message>
    <message>
        <source>Set the word even if it is one already.</source>
        <translation>即使单词已存在也照样设置。</translation>
    </message>
    <message>
        <source>The entry&apos;s number.</source>
        <translation>词条编号。</translation>
    </message>
    <message>
        <source>set needs one entry NUMBER</source>
        <translation>set 需要一个词条编号</translation>
    </message>
    <message>
        <source>the word and the translation must not be empty; &apos;remove&apos; empties an entry</source>
        <translation>单词和翻译都不能为空；清空词条请用“remove”</translation>
    </message>
    <message>
        <source>%1 is the word of line %2 already (letter case ignored); --force sets it anyway</source>
        <translation>%1 已是第 %2 行的单词（不区分大小写）；--force 可强制设置</translation>
    </message>
    <message>
        <source>Empties the lines of the entries NUMBER in all five files, so that every later entry keeps its number.</source>
        <translation>清空五个文件中编号为 NUMBER 的各词条所在的行，后面的词条编号都保持不变。</translation>
    </message>
    <message>
        <source>An entry&apos;s number.</source>
        <translation>词条编号。</translation>
    </message>
    <message>
        <source>remove needs one entry NUMBER or more</source>
        <translation>remove 需要至少一个词条编号</translation>
    </message>
    <message>
        <source>The write to take back (default: the last).</source>
        <translation>要撤销的写入（默认：最后一次）。</translation>
    </message>
    <message>
        <source>undo takes at most one NUMBER</source>
        <translation>undo 最多接受一个编号</translation>
    </message>
    <message>
        <source>%1 keeps no earlier write to restore</source>
        <translation>%1 没有保留可以恢复的写入</translation>
    </message>
    <message>
        <source>no write %1 is kept; &apos;%2 history&apos; lists them</source>
        <translation>没有保留第 %1 次写入；“%2 history”会列出保留的写入</translation>
    </message>
    <message>
        <source>the files kept from before write %1 were changed since (by a program that writes files in place), so they are not restored</source>
        <translation>第 %1 次写入之前保留的文件后来被改动过（被某个直接改写文件的程序），因此不予恢复</translation>
    </message>
    <message>
        <source>restored the files as they were before write %1 (%2)</source>
        <translation>已把文件恢复为第 %1 次写入（%2）之前的样子</translation>
    </message>
    <message>
        <source>Lists the kept writes, oldest first: number, time (UTC), command, entries changed. &apos;undo NUMBER&apos; restores the files as they were before one.</source>
        <translation>列出保留的写入，最早的在前：编号、时间（UTC）、命令、改动的词条数。“undo NUMBER”把文件恢复为某次写入之前的样子。</translation>
    </message>
    <message>
        <source>entries changed: %1</source>
        <translation>改动的词条：%1</translation>
    </message>
    <message>
        <source>(changed since)</source>
        <translation>（之后被改动过）</translation>
    </message>
    <message>
        <source>publish takes one folder, OUTDIR</source>
        <translation>publish 只接受一个文件夹 OUTDIR</translation>
    </message>
    <message>
        <source>%1 does not exist</source>
        <translation>%1 不存在</translation>
    </message>
    <message>
        <source>Replace the dictionary DIR holds already (&apos;undo&apos; takes it back); without it that is refused.</source>
        <translation>替换 DIR 中已有的词典（“undo”可撤销）；没有此选项时会拒绝。</translation>
    </message>
    <message>
        <source>%1 holds a dictionary already; nothing was written. --force replaces it (&apos;%2 undo&apos; takes that back)</source>
        <translation>%1 中已有词典；未写入任何文件。--force 可替换它（“%2 undo”可撤销）</translation>
    </message>
    <message>
        <source>the files of %1 do not line up; written all the same (--force): some words may carry other lines&apos; fields</source>
        <translation>%1 中的各文件没有对齐；已照样写出（--force）：有些单词可能带着其他行的字段</translation>
    </message>
    <message>
        <source>the files of %1 do not line up, so words would go out with other lines&apos; translations; nothing was written. &apos;%2 check&apos; shows why; --force writes it all the same</source>
        <translation>%1 中的各文件没有对齐，单词会带着其他行的翻译写出；未写入任何文件。“%2 check”会说明原因；--force 可照样写出</translation>
    </message>
    <message>
        <source>--only: &apos;%1&apos; is no finding&apos;s code; the codes are %2</source>
        <translation>--only：“%1”不是任何问题的代码；代码有 %2</translation>
    </message>
    <message>
        <source>Appends one entry as a new last line of all five files and prints its number. Each file is written in full beside the old one and then renamed into place. Refuses a word that already is one (letter case ignored) unless --force.</source>
        <translation>在五个文件末尾各追加一行，作为一个新词条，并输出它的编号。每个文件都先在旧文件旁完整写出，再改名替换旧文件。已存在的单词（不区分大小写）会被拒绝，除非给出 --force。</translation>
    </message>
    <message>
        <source>added entry %1: %2</source>
        <translation>已添加词条 %1：%2</translation>
    </message>
    <message>
        <source>entry %1 (%2)</source>
        <translation>词条 %1（%2）</translation>
    </message>
    <message>
        <source>and %1 more</source>
        <translation>另有 %1 个</translation>
    </message>
    <message>
        <source>Takes back the last write (or write NUMBER of &apos;history&apos;): the lines it changed are put back as they were before it, byte for byte, and every other line stays as it is now, so edits made since in an editor or a spreadsheet are kept. Where a line it changed was changed again since, nothing is written and the entries are named; --force puts them back anyway. The undo is a write itself and kept in the history, so a second undo takes it back.</source>
        <translation>撤销上一次写入（或“history”中编号为 NUMBER 的写入）：它改动过的行逐字节恢复为写入之前的样子，其他各行保持现状，因此之后在编辑器或电子表格中做的修改都会保留。如果它改动过的某行之后又被改动，则不写入任何文件，并列出这些词条；--force 可照样恢复。撤销本身也是一次写入，会保留在历史中，所以再次撤销可以取消它。</translation>
    </message>
    <message>
        <source>Put back the lines the write changed even where they were changed again since.</source>
        <translation>即使写入改动过的行之后又被改动，也照样恢复它们。</translation>
    </message>
    <message>
        <source>write %1 (%2) is not taken back: lines it changed were changed again since: %3. Nothing was written; --force puts them back as they were before write %1 anyway</source>
        <translation>未撤销第 %1 次写入（%2）：它改动过的行之后又被改动：%3。未写入任何文件；--force 可照样把它们恢复为第 %1 次写入之前的样子</translation>
    </message>
    <message>
        <source>put back lines that were changed again since write %1: %2</source>
        <translation>已恢复第 %1 次写入之后又被改动的行：%2</translation>
    </message>
    <message>
        <source>(whole files, kept by an earlier version)</source>
        <translation>（整份文件，由旧版本保留）</translation>
    </message>
    <message>
        <source>Write even when the files do not hold as many lines each (then some words go out with other lines&apos; fields); without it that is refused.</source>
        <translation>即使各文件行数不同也照样写出（此时有些单词会带着其他行的字段）；没有此选项时会拒绝。</translation>
    </message>
    <message>
        <source>Import rows that check would call errors (a repeated word, phrases and translations of unequal number), and cells changed as a spreadsheet changes text it takes for a number, a date, a formula or a truth value.</source>
        <translation>照样导入 check 会判为错误的行（重复的单词、词组与翻译数量不同），以及被电子表格当作数字、日期、公式或逻辑值而改动的单元格。</translation>
    </message>
    <message>
        <source>List at most N faults of the table in one run (default: %1).</source>
        <translation>一次最多列出表格中的 N 个问题（默认：%1）。</translation>
    </message>
    <message>
        <source>%1 rows refused, the first %2 listed (--max N lists more); nothing was written</source>
        <translation>拒绝了 %1 行，列出了前 %2 行（--max N 可列出更多）；未写入任何文件</translation>
    </message>
    <message>
        <source>%1 rows refused; nothing was written</source>
        <translation>拒绝了 %1 行；未写入任何文件</translation>
    </message>
    <message>
        <source>&quot;%1&quot; became &quot;%2&quot;: %3; %4, or --force imports it</source>
        <translation>“%1”变成了“%2”：%3；%4，或用 --force 照样导入</translation>
    </message>
    <message>
        <source>--max needs a whole number of at least 1, not &apos;%1&apos;</source>
        <translation>--max 需要不小于 1 的整数，而不是“%1”</translation>
    </message>
    <message>
        <source>Replaces the five dictionary files by the rows of a table. Each row goes to the line of its number, whatever the rows&apos; order; numbers that no row has become empty lines; rows without a number become new entries after the highest number and after the dictionary&apos;s last line, in table order. Every fault in the table (up to --max) is reported as FILE:LINE: error: row R, column C: MESSAGE, and then nothing is written.

The import refuses, writing nothing, a table without entry rows, one that would empty more than half of the entries, a number that would add more than 1000 empty lines, rows that check would call errors, and text that is not UTF-8 or is UTF-8 read as a Western single-byte character set, and cells changed as a spreadsheet changes text it takes for a number, a date, a formula or a truth value (0012 that became 12, 3/4 that became a date) or saves in a character set without its characters; every such row is listed (up to --max), with the setting that keeps the column as text. It prints how many entries it added, changed and emptied.</source>
        <translation>用表格的各行替换五个词典文件。每一行写到其编号所在的行，与行的顺序无关；没有任何行使用的编号成为空行；没有编号的行按表格顺序成为新词条，排在最大编号之后，也排在词典最后一行之后。表格中的每个问题（最多 --max 个）都以 FILE:LINE: error: 第 R 行，第 C 列：信息 的形式报告，此时不写入任何文件。

以下情况导入会拒绝，不写入任何文件：表格没有词条行；会清空超过一半的词条；某个编号会增加 1000 多个空行；有 check 会判为错误的行；文本不是 UTF-8，或是被当作西欧单字节字符集读取的 UTF-8；单元格被电子表格当作数字、日期、公式或逻辑值而改动（0012 变成 12，3/4 变成日期），或以缺少其字符的字符集保存。每个这样的行都会列出（最多 --max 个），并说明把该列保持为文本的设置。导入会输出新增、修改和清空的词条数。</translation>
    </message>
    <message>
        <source>one line further on</source>
        <translation>往后错一行</translation>
    </message>
    <message>
        <source>%1 lines further on</source>
        <translation>往后错 %1 行</translation>
    </message>
    <message>
        <source>one line further back</source>
        <translation>往前错一行</translation>
    </message>
    <message>
        <source>%1 lines further back</source>
        <translation>往前错 %1 行</translation>
    </message>
    <message>
        <source>the files stop lining up here: the lines before this one match %1 line for line, this one and those after it match the lines of those files %2</source>
        <translation>各文件从这里起错位：此前各行与 %1 逐行对应，本行及其后各行对应的是那些文件%2的行</translation>
    </message>
    <message>
        <source>the files stop lining up between this line and line %1: the lines before this one match %2 line for line, those from line %1 on match the lines of those files %3</source>
        <translation>各文件在本行与第 %1 行之间开始错位：此前各行与 %2 逐行对应，从第 %1 行起对应的是那些文件%3的行</translation>
    </message>
    <message>
        <source>its leading zeros were dropped, as a spreadsheet does to a number</source>
        <translation>开头的零被去掉了，电子表格对数字就是这样处理的</translation>
    </message>
    <message>
        <source>it was written as another number, as a spreadsheet does</source>
        <translation>被电子表格写成了另一种形式的数字</translation>
    </message>
    <message>
        <source>it became a date, as a spreadsheet makes of a fraction or a month and day</source>
        <translation>变成了日期，电子表格会把分数或月日当作日期</translation>
    </message>
    <message>
        <source>a spreadsheet took it for a formula and kept its result</source>
        <translation>电子表格把它当作公式，只保留了计算结果</translation>
    </message>
    <message>
        <source>a spreadsheet took it for a truth value</source>
        <translation>电子表格把它当作逻辑值</translation>
    </message>
    <message>
        <source>its characters became &apos;?&apos;: the table was saved in a character set without them</source>
        <translation>其中的字符变成了“?”：表格以不含这些字符的字符集保存</translation>
    </message>
    <message>
        <source>save the table with the character set Unicode (UTF-8)</source>
        <translation>请以字符集 Unicode (UTF-8) 保存表格</translation>
    </message>
    <message>
        <source>open the table with the column&apos;s type set to Text (LibreOffice: Text Import, Column type Text; Excel: From Text/CSV, Data Type Text)</source>
        <translation>打开表格时把该列的类型设为文本（LibreOffice：文本导入，列类型选“文本”；Excel：从文本/CSV，数据类型选“文本”）</translation>
    </message>
    <message>
        <source>cannot typeset the book: %1 is not installed (Debian&apos;s texlive-xetex; scripts/setup.sh installs it)</source>
        <translation>无法排版：未安装 %1（Debian 的 texlive-xetex；scripts/setup.sh 会安装它）</translation>
    </message>
    <message>
        <source>the typesetting engine failed: %1</source>
        <translation>排版引擎出错：%1</translation>
    </message>
    <message>
        <source>unknown paper &apos;%1&apos;: a4, a5 or letter</source>
        <translation>未知的纸张“%1”：可用 a4、a5 或 letter</translation>
    </message>
    <message>
        <source>--columns takes 1 or 2, not &apos;%1&apos;</source>
        <translation>--columns 只能是 1 或 2，而不是“%1”</translation>
    </message>
    <message>
        <source>--format pdf (or a FILE ending in .pdf) typesets the dictionary as a book with XeLaTeX: a title page, the part-of-speech legend, the words with their translations and phrases (禾岚 → 中文), then every translation and every Chinese piece of one in pinyin order with its words (中文 → 禾岚). The head of each page shows the first and the last headword on it.</source>
        <translation>--format pdf（或以 .pdf 结尾的 FILE）用 XeLaTeX 把词典排版成一本书：书名页、词性表、各词及其翻译和词组（禾岚 → 中文），然后按拼音排列每个翻译及其中的每个中文片段和对应的词（中文 → 禾岚）。每页的书眉显示该页的第一个和最后一个词目。</translation>
    </message>
    <message>
        <source>The format: csv, tsv, stardict, dictd, anki or pdf (default: FILE&apos;s extension, .csv, .tsv or .pdf).</source>
        <translation>格式：csv、tsv、stardict、dictd、anki 或 pdf（默认：按 FILE 的扩展名，.csv、.tsv 或 .pdf）。</translation>
    </message>
    <message>
        <source>The book&apos;s paper: a4, a5 or letter (default: a4).</source>
        <translation>书的纸张：a4、a5 或 letter（默认：a4）。</translation>
    </message>
    <message>
        <source>The book&apos;s columns on a page: 1 or 2 (default: 2).</source>
        <translation>书每页的栏数：1 或 2（默认：2）。</translation>
    </message>
    <message>
        <source>The file to write: the table (.csv or .tsv), the .ifo, the .index, the notes (.txt) or the book (.pdf).</source>
        <translation>要写出的文件：表格（.csv 或 .tsv）、.ifo、.index、笔记文件（.txt）或书（.pdf）。</translation>
    </message>
    <message>
        <source>%1: the file name must end in .csv or .tsv (a table) or .pdf (the book)</source>
        <translation>%1：文件名必须以 .csv 或 .tsv（表格）或 .pdf（书）结尾</translation>
    </message>
    <message>
        <source>Also typeset the dictionary as a printed book, %1 beside the page, which its whole dictionary (整本词典) links to (as export --format pdf does).</source>
        <translation>同时把词典排版成一本书（%1，与网页放在一起），网页的“整本词典”会链接到它（与 export --format pdf 相同）。</translation>
    </message>
    <message>
        <source>%1: the %2 export %3 reads this file; export under another name, or replace it with --force, which removes %4</source>
        <translation>%1：%2 导出的 %3 读取这个文件；请换一个名称导出，或用 --force 替换它（同时删除 %4）</translation>
    </message>
    <message>
        <source>%1: cannot remove it</source>
        <translation>%1：无法删除</translation>
    </message>
    <message>
        <source>%1: replaced; removed %2 of the %3 export, which read it</source>
        <translation>%1：已替换；已删除读取它的 %3 导出文件 %2</translation>
    </message>
    <message>
        <source>the cards need the dictionary&apos;s identity: give one with --name NAME, the same at every export and no other dictionary&apos;s</source>
        <translation>卡片需要词典的身份：请用 --name 名称 指定一个，每次导出都相同，且不与其他词典相同</translation>
    </message>
    <message>
        <source>shortened: %1 headwords longer than %2 bytes, StarDict&apos;s limit, to their beginning</source>
        <translation>已截短：%1 个超过 %2 字节（StarDict 的上限）的词头，保留其开头部分</translation>
    </message>
    <message>
        <source>The readers&apos; lists name the two dictionaries by the title and the title followed by %1. StarDict and dictd both keep their articles in a file NAME.dict.dz: an export refuses (exit status 1) to replace one that the other format&apos;s export of the same NAME reads, unless --force, which also removes that export&apos;s other files. StarDict headwords longer than 255 bytes are shortened and counted on stderr.</source>
        <translation>词典阅读程序的列表中，两部词典分别以标题和标题后加 %1 命名。StarDict 和 dictd 都把词条内容存放在 NAME.dict.dz 文件中：若另一种格式以同一 NAME 导出的文件正在读取该文件，导出会拒绝替换它（退出状态 1），除非使用 --force，此时也会删除那次导出的其他文件。超过 255 字节的 StarDict 词头会被截短，并在标准错误输出中计数。</translation>
    </message>
    <message>
        <source>Anki knows each card by its GUID, made of the dictionary&apos;s identity and the entry&apos;s number, so that a new import updates the learner&apos;s cards (after an author fixed a spelling or a translation too) and no other dictionary&apos;s import touches them. The identity is kept in the file .varnell-identity beside the dictionary&apos;s five files, written by the first Anki export: keep it with them.</source>
        <translation>Anki 以 GUID 识别每张卡片，GUID 由词典的身份和词条编号组成，因此再次导入会更新学习者的卡片（作者修改了拼写或翻译之后也是如此），其他词典的导入也不会碰到它们。身份保存在词典五个文件旁边的 .varnell-identity 文件中，由第一次 Anki 导出写入：请让它始终与这五个文件放在一起。</translation>
    </message>
    <message>
        <source>The identity of the Anki cards instead of the one the folder keeps: the same at every export of this dictionary, and no other dictionary&apos;s (the cards of earlier exports without it were known by &apos;varnell&apos;).</source>
        <translation>用作 Anki 卡片身份，代替文件夹保存的身份：本词典每次导出都应相同，且不与其他词典相同（此前未指定它的导出，其卡片以“varnell”识别）。</translation>
    </message>
    <message>
        <source>The Anki deck (default: the title).</source>
        <translation>Anki 牌组（默认：标题）。</translation>
    </message>
    <message>
        <source>Anki: no tags column. The part-of-speech tags are then not the notes&apos; tags, and a new import keeps the learner&apos;s own tags (Anki replaces a note&apos;s tags with the tags column&apos;s).</source>
        <translation>Anki：不写标签列。词性标签不再作为笔记的标签，再次导入时保留学习者自己的标签（Anki 会用标签列替换笔记的标签）。</translation>
    </message>
    <message>
        <source>error: not a line &quot;name=value&quot; of the dictionary&apos;s identity</source>
        <translation>错误：不是词典身份文件中“名称=值”形式的行</translation>
    </message>
    <message>
        <source>the identity written is gone</source>
        <translation>刚写入的身份已不见了</translation>
    </message>
    <message>
        <source>%1 characters are in none of the book&apos;s fonts and were left out: %2</source>
        <translation>有 %1 个字符不在书的任何字体中，已略去：%2</translation>
    </message>
    <message>
        <source>The dictionary&apos;s title: its name in the readers&apos; lists, the Anki deck&apos;s and the book&apos;s title page (default: the title in the folder&apos;s .varnell-identity, %1 for the shipped dictionary, else the folder&apos;s name as publish takes it).</source>
        <translation>词典的标题：在阅读程序列表中的名称、Anki 牌组的名称和书的扉页标题（默认：文件夹中 .varnell-identity 里的标题，随附词典为 %1，否则为 publish 所取的文件夹名称）。</translation>
    </message>
    <message>
        <source>Write anyway: when the files do not hold as many lines each (then some words go out with other lines&apos; fields), and over a .dict.dz that the other reader format&apos;s export reads.</source>
        <translation>照样写出：即使各文件的行数不一致（那时有些词会带着别的行的字段写出），或要覆盖另一种阅读器格式的导出所读的 .dict.dz。</translation>
    </message>
    <message>
        <source>Searches the dictionary for each QUERY as the window does and prints the card the window shows. Without QUERY, reads one query per line from standard input. Answers are reproducible: the same dictionary and query give the same output in every run, as results the ranking cannot tell apart (the same kind of match and score) come in file order, the lower entry number first. A query that is not a word, an entry number or a whole translation of the dictionary is followed by the word most likely meant, if any: a word a few typing slips away, or the entry whose translation or phrase translation it is, also when written in traditional Chinese characters.</source>
        <translation>像窗口一样查询每个 QUERY，并输出窗口显示的结果卡片。没有 QUERY 时，从标准输入每行读取一个查询。结果可以重现：同一词典、同一查询在每次运行中输出都相同，因为排序无法区分的结果（匹配类型和分数都相同）按文件中的顺序列出，词条编号小的在前。查询既不是词典中的单词、词条编号，也不是完整的翻译时，卡片后面跟一行最可能想找的词（如果有）：差几处拼写错误的单词，或者翻译、词组翻译正是该查询的词条，查询用繁体字写时也一样。</translation>
    </message>
    <message>
        <source>Print one JSON object per query and line, with every result and up to ten suggestions of what the query may have meant, the likeliest first.</source>
        <translation>每个查询输出一行 JSON 对象，包含全部结果，以及最多十个该查询可能想找的建议，最可能的在前。</translation>
    </message>
    <message>
        <source>--title takes a text that is not empty</source>
        <translation>--title 需要一段非空的文字</translation>
    </message>
    <message>
        <source>The page&apos;s title, TEXT, and the book&apos;s with --pdf (default: the title in the folder&apos;s .varnell-identity, %1 for the shipped dictionary, else the folder&apos;s name).</source>
        <translation>网页的标题 TEXT，加 --pdf 时也是书的标题（默认：文件夹中 .varnell-identity 里的标题，随附词典为 %1，否则为文件夹的名称）。</translation>
    </message>
</context>
</TS>

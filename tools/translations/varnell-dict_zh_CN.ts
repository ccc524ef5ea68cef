<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>VarnellDict</name>
    <message>
        <location filename="../AddCommand.cpp" line="6"/>
        <location filename="../CheckCommand.cpp" line="6"/>
        <source>Not written yet.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../AddCommand.cpp" line="9"/>
        <source>&apos;add&apos; is not written yet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../CheckCommand.cpp" line="9"/>
        <source>&apos;check&apos; is not written yet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../LookupCommand.cpp" line="94"/>
        <source>Searches the dictionary for each QUERY as the window does and prints the card the window shows. Without QUERY, reads one query per line from standard input.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../LookupCommand.cpp" line="99"/>
        <source>Ask the search for at most N results (default: 10, as the window).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../LookupCommand.cpp" line="100"/>
        <source>N</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../LookupCommand.cpp" line="104"/>
        <source>Print one JSON object per query and line, with every result.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../LookupCommand.cpp" line="107"/>
        <source>Write the window&apos;s load report and search traces to standard error.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../LookupCommand.cpp" line="110"/>
        <source>What to search for, as typed into the window.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../LookupCommand.cpp" line="111"/>
        <source>[QUERY...]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../LookupCommand.cpp" line="120"/>
        <source>--limit needs a whole number of at least 1, not &apos;%1&apos;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../LookupCommand.cpp" line="129"/>
        <source>the dictionary in %1 does not load; &apos;%2 check --texts %1&apos; says why</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../Subcommands.cpp" line="20"/>
        <source>Report every problem of the dictionary files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../Subcommands.cpp" line="23"/>
        <source>Search the dictionary as the window does</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../Subcommands.cpp" line="25"/>
        <source>Append one entry to all five files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../Subcommands.cpp" line="43"/>
        <location filename="../varnell_dict.cpp" line="75"/>
        <source>Show this help and exit.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../Subcommands.cpp" line="46"/>
        <source>Read the dictionary files in DIR (default: %1).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../Subcommands.cpp" line="48"/>
        <source>DIR</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../Subcommands.cpp" line="87"/>
        <source>Try &apos;%1 %2&apos; for more information.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../varnell_dict.cpp" line="22"/>
        <source>Commands:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../varnell_dict.cpp" line="31"/>
        <source>Every command reads the dictionary folder given by --texts DIR (default: ./texts, as the window).
Run &apos;%1 help COMMAND&apos; for the options of a command.

Exit status: 0 success; 1 the command ran and found problems, found nothing or refused; 2 bad usage, or a file that cannot be read or written.
</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../varnell_dict.cpp" line="49"/>
        <location filename="../varnell_dict.cpp" line="103"/>
        <source>unknown command &apos;%1&apos;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../varnell_dict.cpp" line="71"/>
        <source>Checks, searches and edits the five text files of a varnell dictionary.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../varnell_dict.cpp" line="77"/>
        <source>Show the program&apos;s version and exit.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../varnell_dict.cpp" line="81"/>
        <source>The command to run (see below).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../varnell_dict.cpp" line="82"/>
        <source>COMMAND [ARGUMENTS...]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <location filename="../varnell_dict.cpp" line="97"/>
        <source>no command given</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>

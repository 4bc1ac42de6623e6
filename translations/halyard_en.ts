<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>halyard::AlertQueueModel</name>
    <message>
        <source>just now</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 min ago</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 h ago</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 d ago</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>halyard::AlertRow</name>
    <message>
        <source>Ack</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open in Slack</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Removes the alert from the queue</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stage: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Acknowledge alert from %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>, </source>
        <comment>between the parts of an alert&apos;s name</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>×%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 alerts like this one</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>halyard::AppCore</name>
    <message>
        <source>Snoozed alert</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mute ended</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%n alerts like &quot;%1&quot; arrived while muted</source>
        <translation>
            <numerusform>%n alert like &quot;%1&quot; arrived while muted</numerusform>
            <numerusform>%n alerts like &quot;%1&quot; arrived while muted</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>halyard::Autostart</name>
    <message>
        <source>Halyard cannot start at login from %1: the path of the program holds a line break or another control character</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not remove %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not create the folder %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not write %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>halyard::CollapsedBarView</name>
    <message>
        <source>Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not connected — open Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connecting to Slack…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connected to Slack</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connection error: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Halyard · demo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hide the queue</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show the queue</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Halyard · demo — %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not connected</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connecting…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connection error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>All clear</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Alerts waiting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Half of the alerts are aging</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Most alerts are aging</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Opens the settings window</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shows or hides the queue of alerts</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Alerts: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connection to Slack</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Snoozed: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>halyard::CommandLine</name>
    <message>
        <source>Slack alerts you have to acknowledge.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Run the core without windows: take alerts in and acknowledge them in Slack.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Try Halyard against a simulated workspace on this computer, in a throw-away profile; nothing reaches Slack.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Give the keyboard to the panel of the running Halyard, for a desktop shortcut.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Halyard is not running.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Halyard did not take the request: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;tokens set&quot; stores the bot and app-level tokens read from standard input, one line each; &quot;tokens clear&quot; deletes them; &quot;tokens status&quot; shows them masked and whether Slack accepts them.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unknown command &quot;%1&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>use &quot;halyard tokens set&quot; (two lines on standard input: the bot token, then the app-level token), &quot;halyard tokens clear&quot; or &quot;halyard tokens status&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 and %2 exclude each other</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Try &quot;halyard --help&quot; for more information.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>halyard: cannot start the desktop program %1 (%2); &quot;halyard --headless&quot; runs without it</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Run without the panel: banners, the bus and the commands only; no window shows until Settings is asked for.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;history&quot; shows each alert of the period with its time to acknowledge and who acknowledged it; &quot;report&quot; sums the period up for a hand-over.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;list&quot; shows the waiting alerts, &quot;ack &lt;id&gt;…&quot; or &quot;ack --all&quot; acknowledges them, &quot;open &lt;id&gt;&quot; opens one in Slack, &quot;status&quot; shows connection, count, health and overdue alerts; &quot;snooze &lt;id&gt; &lt;duration&gt;&quot; (90s, 15m, 1h, 2d) and &quot;unsnooze &lt;id&gt;&quot; put a row aside and back, &quot;mute &lt;id&gt; &lt;duration&gt;&quot; holds back alerts like it, &quot;mutes&quot; and &quot;unmute &lt;id&gt;&quot; show and end mutes: all from the running Halyard.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>halyard::DataFolderLock</name>
    <message>
        <source>Halyard cannot create its data folder %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Halyard is already running (process %1); not starting a second copy.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Halyard is already running; not starting a second copy.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Halyard cannot lock its data folder %1: permission denied</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Halyard cannot lock its data folder %1: unknown error</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>halyard::Demo</name>
    <message>
        <source>halyard: cannot create the demo profile: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>halyard: cannot serve the demo workspace on 127.0.0.1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>halyard::DisplayPlatform</name>
    <message>
        <source>Halyard needs a graphical display, and none is reachable (DISPLAY and WAYLAND_DISPLAY). Run &quot;halyard --headless&quot; for the core without windows.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Halyard cannot open a window on this Wayland desktop: no X server (XWayland) is reachable, and Qt&apos;s Wayland support is not installed. Install it (&quot;sudo apt install qt6-wayland&quot;) or enable XWayland, then start Halyard again.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>halyard::FloatingPanel</name>
    <message>
        <source>Settings…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quit Halyard</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Acknowledge All (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Acknowledge All in %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>Acknowledge all %n alerts?</source>
        <translation>
            <numerusform>Acknowledge %n alert?</numerusform>
            <numerusform>Acknowledge all %n alerts?</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Acknowledge all %n alerts in %1?</source>
        <translation>
            <numerusform>Acknowledge %n alert in %1?</numerusform>
            <numerusform>Acknowledge all %n alerts in %1?</numerusform>
        </translation>
    </message>
    <message>
        <source>Acknowledge All</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>History…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Snooze</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>For 15 Minutes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>For 1 Hour</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Until %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mute Alerts Like This for 1 Hour</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>halyard::HistoryCommands</name>
    <message>
        <source>by %1 (reaction)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a teammate</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>by you (banner)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>by you (bus or command)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>by you (Acknowledge All)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>by you (panel)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>history, report: the period, as 12h, 7d or a date (2026-12-01); history: 24h and report: 12h unless given.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>since</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>history: only this channel (its name or id).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>channel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--since belongs to &quot;halyard history&quot;, &quot;halyard report&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--channel belongs to &quot;halyard history&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--since is a span (30m, 12h, 7d) or a date (2026-12-01)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--format is markdown or text</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot read the history %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: skipped damaged lines</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>acknowledged after %1 %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>waiting</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>halyard::HistoryView</name>
    <message>
        <source>Waiting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>none</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>History</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Last 12 hours</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Last 24 hours</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Last 7 days</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Last 30 days</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Period</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy as Markdown</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The shift report for pasting into a hand-over thread</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Period:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Alerts per hour, by stage when acknowledged</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Time to acknowledge, against the aging thresholds</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The history cannot be read: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Alerts</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Acknowledged by you</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Acknowledged by teammates</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Still waiting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Median time to acknowledge</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>90th percentile</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Went overdue</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Noisiest senders: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Noisiest channels: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>halyard::HourlyChart</name>
    <message>
        <source>Alerts per hour</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Alerts per hour: no alerts in this period.</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>Alerts per hour, stacked by the stage at acknowledgement: %n alert(s) in all; the busiest hour began %1 with %2.</source>
        <translation>
            <numerusform>Alerts per hour, stacked by the stage at acknowledgement: %n alert in all; the busiest hour began %1 with %2.</numerusform>
            <numerusform>Alerts per hour, stacked by the stage at acknowledgement: %n alerts in all; the busiest hour began %1 with %2.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n alert(s)</source>
        <translation>
            <numerusform>%n alert</numerusform>
            <numerusform>%n alerts</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>halyard::KeychainError</name>
    <message>
        <source>the tokens are kept by a Secret Service (org.freedesktop.secrets, such as GNOME Keyring or KWallet) that must be running and unlocked in this D-Bus session</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>halyard::MessageIntake</name>
    <message>
        <source>New alert</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 (×%2)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>halyard::MutesView</name>
    <message>
        <source>No alerts are muted.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 · until %2 · %3 held back</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unmute</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unmute alerts like %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>halyard::NotificationService</name>
    <message>
        <source>Open</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ack</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>halyard::OverdueReminder</name>
    <message>
        <source>1 minute</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 minutes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1 alert waited over %1 while Halyard was away</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 alerts waited over %2 while Halyard was away</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Overdue: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%n alerts are overdue</source>
        <translation>
            <numerusform>%n alert is overdue</numerusform>
            <numerusform>%n alerts are overdue</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>halyard::Problem</name>
    <message>
        <source>Slack did not accept the token (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Slack refused the request (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Slack did not accept the token (HTTP %1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Slack answered with HTTP status %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Slack limits the rate; trying again in %1 s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Slack limits the rate; trying again later</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Slack&apos;s answer could not be read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No Slack tokens are set</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A token contains a line break or another control character</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No network</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Slack&apos;s server could not be found</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Slack&apos;s server could not be reached</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Slack did not answer in time</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The connection to Slack was lost</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Network error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Slack stopped answering (no heartbeat for %1 s)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The keyring is locked or refused access</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No keyring is running in this session</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The keyring failed (status %1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The keyring returned unexpected data</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The keyring did not answer</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No update feed is configured</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The update feed must be read over https</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The update feed could not be fetched</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The update feed could not be read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancelled</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unknown error</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>halyard::Profile</name>
    <message>
        <source>halyard: HALYARD_SLACK_API_URL must be an https URL, or http to this computer (127.0.0.1, ::1, localhost); refusing %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>an invalid URL</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>halyard::QueueAdaptor</name>
    <message>
        <source>No alert with this id is waiting.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This Halyard has no display to open the message on.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The length must be between one second and a year.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No alert with this id is snoozed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No mute was made from this alert.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>halyard::QueueCommands</name>
    <message>
        <source>Halyard did not take the request: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The running Halyard gave an answer this command cannot read.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connected</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connecting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connection failed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not connected</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>all clear</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>alerts waiting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>half of the alerts aging</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>most alerts aging</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%1 · %n alerts · %2 %3 · %4 overdue</source>
        <translation>
            <numerusform>%1 · %n alert · %2 %3 · %4 overdue</numerusform>
            <numerusform>%1 · %n alerts · %2 %3 · %4 overdue</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n newer alerts not listed: the list is limited in size.</source>
        <translation>
            <numerusform>%n newer alert not listed: the list is limited in size.</numerusform>
            <numerusform>%n newer alerts not listed: the list is limited in size.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Acknowledged %n alerts.</source>
        <translation>
            <numerusform>Acknowledged %n alert.</numerusform>
            <numerusform>Acknowledged %n alerts.</numerusform>
        </translation>
    </message>
    <message>
        <source>Acknowledged %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No alert %1 is waiting.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>list, status: print JSON.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>status: print a line at every change until interrupted.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>status: the line&apos;s format for a status bar: waybar, i3bar or text.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>format</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--%1 belongs to &quot;halyard %2&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--format is waybar, i3bar or text</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>--json and --format exclude each other</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ack needs alert ids or --all</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ack takes ids or --all</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>open takes one alert id</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 takes no arguments</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> · 💤 %1 snoozed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>snoozed until %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No mute of %1 is active.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No alert %1 is snoozed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>Snoozed %n alerts.</source>
        <translation>
            <numerusform>Snoozed %n alert.</numerusform>
            <numerusform>Snoozed %n alerts.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n alerts are back.</source>
        <translation>
            <numerusform>%n alert is back.</numerusform>
            <numerusform>%n alerts are back.</numerusform>
        </translation>
    </message>
    <message>
        <source>Muted alerts like %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unmuted alerts like %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ack: acknowledge every waiting alert; list: show snoozed alerts too.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 takes an alert id and a duration such as 90s, 15m, 1h or 2d</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 takes one alert id</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>halyard::QueueView</name>
    <message>
        <source>Alerts</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Up and Down choose an alert, Return opens it in Slack, A or Delete acknowledges it, Escape leaves the panel</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>halyard::ServiceStatus</name>
    <message>
        <source>Reconnecting…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connecting…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not connected: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Waiting for the keyring</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No tokens stored: run &quot;halyard tokens set&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not connected</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>Connected to %1 · %n alerts, %2 overdue</source>
        <translation>
            <numerusform>Connected to %1 · %n alert, %2 overdue</numerusform>
            <numerusform>Connected to %1 · %n alerts, %2 overdue</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>halyard::SettingsAboutTab</name>
    <message>
        <source>Check for Updates…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Updates come with your package manager.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Slack alerts you have to acknowledge.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Support:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Looks for a newer version of Halyard</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Support: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Writes an email to the support address</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>halyard::SettingsAgingTab</name>
    <message>
        <source>Aging thresholds</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Each alert ages through four stages while it waits in the queue. Drag to match how urgent your channels actually are. Each slider only moves its own threshold — drag from the right to extend everything.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fresh → Aging</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Aging → Stale</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stale → Overdue</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reset to defaults</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 min</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sets the thresholds back to 5, 15 and 30 minutes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Minutes, from 1 to %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>halyard::SettingsAuthTab</name>
    <message>
        <source>Connected</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connecting…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Disconnected</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Error: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>✓ %1 as @%2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>2. Socket Mode → enable, generate xapp- token (connections:write)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>3. OAuth &amp; Permissions → add bot scopes: channels:history, groups:history, channels:read, groups:read, users:read, reactions:write, reactions:read → install to workspace, copy xoxb-</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>4. Event Subscriptions → enable → subscribe to message.channels, message.groups, reaction_added</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>5. /invite @YourBot in channels to monitor</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save &amp;&amp; Connect</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Setup steps</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Demo mode: a simulated workspace on this computer; nothing here reaches Slack.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bot User OAuth Token</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OAuth &amp; Permissions → Bot User OAuth Token (xoxb-…)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>App-Level Token (Socket Mode)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Basic Information → App-Level Tokens, with scope connections:write (xapp-…)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>· %1 as @%2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Testing…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Test Token</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save failed: %1 — %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear failed: %1 — %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tokens cleared.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stores both tokens and connects to Slack</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Asks Slack whether the bot token works, without storing it</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Deletes both stored tokens and disconnects</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1. https://api.slack.com/apps → Create New App → From an app manifest (Copy manifest, then paste it), or From scratch</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy manifest</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copies the Slack app manifest, to paste when creating the app</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copied — paste it into Slack&apos;s manifest box.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>halyard::SettingsGeneralTab</name>
    <message>
        <source>Example: &quot;%1 refill your water bottle&quot; in a monitored Slack channel becomes an alert reading &quot;refill your water bottle&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Filtering</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Only surface messages from bots and apps</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>By default Halyard ignores messages from human users so chatter doesn&apos;t pile up in the queue. Uncheck to also enqueue messages from teammates.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Trigger prefix</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Any message starting with this prefix is added to the queue regardless of who sent it. The prefix is stripped from the displayed text. Leave blank to disable.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Notifications</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show a system banner when a new alert arrives</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Banners appear where your desktop shows notifications and dismiss themselves. No sound by default — add one in your desktop&apos;s notification settings (GNOME Settings → Notifications → Halyard, or KDE System Settings → Notifications) if you want it. Banners fire only for new live alerts, not for messages caught up by backfill after a disconnect.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ack-back to Slack</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add a reaction to the original Slack message when I Ack</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>When you click Ack, Halyard adds an emoji reaction to the source message so anyone else in the channel can see it&apos;s been handled.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Emoji shortcode:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Without colons — e.g. `white_check_mark`, `eyes`, `thumbsup`, `large_green_circle`. Requires the `reactions:write` bot scope. If you set up Halyard before this feature, see Authentication for the updated scope list and reinstall the app.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Also clear my queue when this reaction lands in Slack</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>When the configured emoji is added to a source message in Slack — whether by you on another computer, by a teammate, or by you manually in the Slack client — the matching alert clears from this device&apos;s queue too. Keeps your queue in sync across all your computers and across your team. Requires the `reactions:read` bot scope and a `reaction_added` event subscription.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Placement</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Snap to the top of the screen when dragging close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>When the panel gets within ~50px of the top of the screen while dragging up, it snaps flush under the top bar. Makes flush placement easier to hit. Turn off if you want fine-grained control over the panel&apos;s distance from the top of the screen.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Startup</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start Halyard when you log in</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Halyard opens its panel when you log in, so alerts keep arriving after a restart.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remind me when an alert becomes overdue</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>One more banner, marked urgent, when an alert has waited into the overdue stage. Alerts that became overdue while Halyard was not running or not connected are summed up in a single banner.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Play a sound with overdue reminders</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Your desktop&apos;s alarm sound, where it plays sounds for notifications.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show the panel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Turn off where a status-bar module and banners are enough: Halyard then shows no window until you open Settings (start Halyard again to do so). Takes effect at the next start; &quot;halyard --no-panel&quot; does the same for one run.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Less noise</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fold repeated alerts into one row</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Alerts from the same channel and sender whose text differs only in its numbers, within an hour of each other, show as one row with their count and the newest text; Ack acknowledges every one of them. Every alert is still kept and listed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Muted alerts:</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>halyard::SettingsWindow</name>
    <message>
        <source>Halyard Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Authentication</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>General</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Aging</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>About</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>halyard::ShiftReport</name>
    <message>
        <source>(unknown sender)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>none</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shift report %1 – %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Alerts: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Acknowledged by you: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Acknowledged by teammates: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Still waiting: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Time to acknowledge: median %1, 90th percentile %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Went overdue: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Noisiest senders: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Noisiest channels: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Alerts</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Acknowledged by you</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Acknowledged by teammates</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Still waiting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Median time to acknowledge</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>90th percentile</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Went overdue</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Noisiest senders</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Noisiest channels</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>halyard::TimeToAckChart</name>
    <message>
        <source>Time to acknowledge</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Time to acknowledge: nothing acknowledged in this period.</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>Time to acknowledge of %n alert(s): </source>
        <translation>
            <numerusform>Time to acknowledge of %n alert: </numerusform>
            <numerusform>Time to acknowledge of %n alerts: </numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n while fresh, </source>
        <translation>
            <numerusform>%n while fresh, </numerusform>
            <numerusform>%n while fresh, </numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n when overdue.</source>
        <translation>
            <numerusform>%n when overdue.</numerusform>
            <numerusform>%n when overdue.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>halyard::TokenValidation</name>
    <message>
        <source>That&apos;s the App-Level Token — it goes in the field below. This field wants the Bot User OAuth Token (xoxb-…), from OAuth &amp; Permissions.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>That&apos;s a user token. Halyard needs the Bot User OAuth Token (xoxb-…) — on OAuth &amp; Permissions, copy the one under &quot;Bot User OAuth Token&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Slack bot tokens start with xoxb-. Double-check the copy from OAuth &amp; Permissions.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>That&apos;s the Bot token — it goes in the field above. This field wants the App-Level Token (xapp-…), from Basic Information → App-Level Tokens.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>That&apos;s a user token. This field wants the App-Level Token (xapp-…), from Basic Information → App-Level Tokens.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>App-Level Tokens start with xapp-. Double-check the copy from Basic Information → App-Level Tokens.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>That looks like a link, not a token. Copy the token value itself — it starts with %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The token contains spaces — it looks like a partial or doubled copy. Re-copy the whole value.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>halyard::TokensCommand</name>
    <message>
        <source>Warning: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bot User OAuth Token (xoxb-…): </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>App-Level Token (xapp-…): </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>halyard: tokens set reads two lines from standard input: the bot token, then the app-level token; nothing was stored</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>halyard: the bot token is empty; nothing was stored</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>halyard: the app-level token is empty; nothing was stored</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>halyard: could not store the tokens: %1 — %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stored bot token %1 and app-level token %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>halyard: could not clear the tokens: %1 — %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tokens cleared.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Credential-store service name.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The running Halyard picked up the change.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No running Halyard uses these tokens; they apply when it starts.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not stored</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>looks valid</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>halyard: could not read the tokens: %1 — %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bot token: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>App-level token: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>auth.test: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>auth.test: team %1, bot %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>apps.connections.open: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>works</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>halyard: use &quot;halyard tokens set&quot;, &quot;halyard tokens clear&quot; or &quot;halyard tokens status&quot;</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>halyard::UpdateDialog</name>
    <message>
        <source>Open Download Page</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Software Update</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Checking for updates…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Halyard %1 is available</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>You have version %1. Download the new version and install it the way you installed this one.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Release notes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Halyard %1 is the newest version.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The update check failed</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>halyard::UpdateRow</name>
    <message>
        <source>Ack</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>View and install the update</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Dismiss this update reminder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Update available - Halyard %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stops the reminder for this version</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>halyard::panelstyle</name>
    <message>
        <source>Fresh</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Aging</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stale</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Overdue</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>

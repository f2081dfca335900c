// The wave mixer's plays: queuing, mixing blocks ahead of the device,
// remixing when a play must start inside blocks already written, and
// releasing plays the device has finished.

#include "sound/sndmix_internal.h"

#include "platform/audio/ui_mailbox.h"

#include <algorithm>
#include <cstring>

namespace {

// a + b without passing "never ends".
int64_t AddCapped(int64_t a, int64_t b)
{
    return b >= 0 && a >= SndMixForever - b ? SndMixForever : a + b;
}

void SetEnd(TPlayNode* node)
{
    if (node->Length == 0) {
        node->End = node->Start; // nothing to play: it ends where it starts
        return;
    }
    if (node->Play.Loops == SndMixLoopForever || node->Start == SndMixForever) {
        node->End = SndMixForever;
        return;
    }
    const int64_t total = (static_cast<int64_t>(node->Play.Loops) + 1) * node->Length;
    node->End = AddCapped(node->Start, total - 1);
}

void AppendPending(TSndMixSession* s, TPlayNode* node)
{
    if (s->PendingTail == nullptr) {
        node->Next = node;
    } else {
        node->Next = s->PendingTail->Next;
        s->PendingTail->Next = node;
    }
    s->PendingTail = node;
}

TPlayNode* TakePending(TSndMixSession* s)
{
    TPlayNode* tail = s->PendingTail;
    if (tail == nullptr)
        return nullptr;
    TPlayNode* head = tail->Next;
    if (head == tail)
        s->PendingTail = nullptr;
    else
        tail->Next = head->Next;
    head->Next = nullptr;
    return head;
}

// Removes every node of `wave` from a singly linked list.
void PurgeWave(TPlayNode*& head, const TWaveRecord* wave)
{
    for (TPlayNode** link = &head; *link != nullptr;) {
        TPlayNode* node = *link;
        if (node->Wave == wave) {
            *link = node->Next;
            SndMixReturnNode(node);
        } else {
            link = &node->Next;
        }
    }
}

bool AnyWritten()
{
    return SndMixUnit().WrittenHead != nullptr;
}

} // namespace

TOutputBlock* SndMixFreeBlock(TSndMixSession* s)
{
    TSndMixUnit& u = SndMixUnit();
    for (int i = 0; i < s->Blocks; ++i)
        if (u.Blocks[i] && u.Blocks[i]->Free)
            return u.Blocks[i].get();
    return nullptr;
}

void SndMixAppendWritten(TOutputBlock* b)
{
    TSndMixUnit& u = SndMixUnit();
    b->Free = false;
    b->NextWritten = nullptr;
    if (u.WrittenTail != nullptr)
        u.WrittenTail->NextWritten = b;
    else
        u.WrittenHead = b;
    u.WrittenTail = b;
}

void SndMixDropWritten(TOutputBlock* b)
{
    TSndMixUnit& u = SndMixUnit();
    TOutputBlock* prev = nullptr;
    for (TOutputBlock* it = u.WrittenHead; it != nullptr; prev = it, it = it->NextWritten) {
        if (it != b)
            continue;
        if (prev != nullptr)
            prev->NextWritten = it->NextWritten;
        else
            u.WrittenHead = it->NextWritten;
        if (u.WrittenTail == it)
            u.WrittenTail = prev;
        break;
    }
    b->NextWritten = nullptr;
    b->Free = true;
}

void SndMixMixSamples(uint8_t* out, const uint8_t* const* sources, int count, int64_t length)
{
    if (count == 1) {
        std::memcpy(out, sources[0], static_cast<size_t>(length));
        return;
    }
    for (int64_t i = 0; i < length; ++i) {
        int sum = 128;
        for (int k = 0; k < count; ++k)
            sum += sources[k][i] - 128;
        out[i] = static_cast<uint8_t>(std::clamp(sum, 0, 255));
    }
}

bool SndMixFillBlock(TSndMixSession* s, TOutputBlock* block, bool write)
{
    if (block == nullptr)
        return false;
    int64_t p = s->MixPosition;
    TPlayNode* cur[SndMixChannelCount] = {};
    bool any = false;
    for (int c = 0; c < SndMixChannelCount; ++c) {
        if (!s->ChannelOpen[c])
            continue;
        TPlayNode* n = s->Queue[c];
        while (n != nullptr && n->End <= p)
            n = n->Next;
        cur[c] = n;
        any = any || n != nullptr;
    }
    if (!any) {
        if (write)
            block->Free = true;
        return false;
    }

    const int64_t blockStart = p;
    const int64_t blockEnd = p + s->BlockLength;
    while (p < blockEnd) {
        int64_t smallest = SndMixForever;
        for (TPlayNode* n : cur)
            if (n != nullptr)
                smallest = std::min(smallest, n->Start);
        if (p < smallest) {
            const int64_t to = std::min(smallest, blockEnd);
            std::memset(block->Data + (p - blockStart), 128, static_cast<size_t>(to - p));
            p = to;
            continue;
        }
        int64_t runEnd = blockEnd;
        const uint8_t* sources[SndMixChannelCount];
        int count = 0;
        for (TPlayNode* n : cur) {
            if (n == nullptr)
                continue;
            if (n->Start > p) {
                runEnd = std::min(runEnd, n->Start);
                continue;
            }
            runEnd = std::min(runEnd, n->End);
            int64_t offset = p - n->Start;
            if (n->Play.Loops != 0) {
                const int64_t pass = offset / n->Length;
                offset %= n->Length;
                runEnd = std::min(runEnd, n->Start + (pass + 1) * n->Length);
            }
            sources[count++] = n->Data + offset;
        }
        SndMixMixSamples(block->Data + (p - blockStart), sources, count, runEnd - p);
        p = runEnd;
        for (TPlayNode*& n : cur)
            while (n != nullptr && n->End <= p)
                n = n->Next;
    }

    block->Position = blockStart;
    block->Header.BufferLength = s->BlockLength;
    s->MixPosition = blockEnd;
    if (!write)
        return true;
    SndMixAppendWritten(block);
    if (SndMixDevice().Write(&block->Header) != MMSYSERR_NOERROR) {
        SndMixDropWritten(block);
        SndMixRaise("Failed to write block to device");
    }
    return true;
}

void SndMixFillAll(TSndMixSession* s)
{
    while (SndMixFillBlock(s, SndMixFreeBlock(s), true)) {}
}

void SndMixRemix(TSndMixSession* s, int64_t position, TPlayNode*)
{
    // The device gives its blocks back before any is mixed again: mixing
    // into a block it still plays from would race its callback.
    TSndMixUnit& u = SndMixUnit();
    SndMixResetDevice(s);
    s->MixPosition = position;
    while (u.WrittenHead != nullptr)
        SndMixDropWritten(u.WrittenHead);
    for (TOutputBlock* b = SndMixFreeBlock(s); b != nullptr && SndMixFillBlock(s, b, false); b = SndMixFreeBlock(s))
        SndMixAppendWritten(b);
    TWaveOut& device = SndMixDevice();
    device.Pause();
    for (TOutputBlock* b = u.WrittenHead; b != nullptr;) {
        TOutputBlock* next = b->NextWritten;
        if (device.Write(&b->Header) != MMSYSERR_NOERROR) {
            SndMixDropWritten(b);
            device.Restart();
            SndMixRaise("Failed to write block to device");
        }
        b = next;
    }
    device.Restart();
}

void SndMixShiftPlay(TSndMixSession* s, int64_t, TPlayNode* node)
{
    if (node != nullptr && node->Start != SndMixForever) {
        const int64_t delta = s->MixPosition - node->Start;
        node->Start += delta;
        if (node->End != SndMixForever)
            node->End = AddCapped(node->End, delta);
    }
    SndMixPump();
}

namespace {

void PostDone(TSndMixNotify* notify, int channel, TWaveRecord* wave)
{
    std::vector<TSndMixNotice>& notices = SndMixUnit().Notices;
    std::erase_if(notices, [](const TSndMixNotice& n) { return n.Void.expired(); });
    auto voided = std::make_shared<bool>(false);
    notices.push_back({wave, voided});
    UiMailbox::Post(notify, [notify, channel, wave, voided] {
        if (!*voided)
            notify->MMWomDone(channel, wave);
    });
}

} // namespace

void SndMixReleaseFinished(TSndMixSession* s)
{
    const int64_t q = SndMixDevicePosition(s);
    for (int c = 0; c < SndMixChannelCount; ++c) {
        if (!s->ChannelOpen[c])
            continue;
        while (s->Queue[c] != nullptr && s->Queue[c]->End <= q) {
            TPlayNode* node = s->Queue[c];
            s->Queue[c] = node->Next;
            if (TSndMixNotify* notify = node->Play.NotifyWindow)
                PostDone(notify, c, node->Wave);
            SndMixReturnNode(node);
        }
    }
}

void SndMixPlay(TSndMixPlayRecord* record)
{
    if (record == nullptr)
        SndMixRaise("nil parameters pointer passed to SndMixPlay");
    TSndMixSession* s = SndMixCheckSession(record->Session);
    if (record->Wave == nullptr)
        SndMixRaise("nil wave pointer passed to SndMixPlay!");
    if (!s->Active)
        SndMixRaise("Wave device not allocated, call SndMixActivate(hMixSession,TRUE)");
    if (s->OpenChannels == 0)
        SndMixRaise("You must open a channel before you can play a wave");

    if (record->Flags & smpLeastRecent) {
        // The walk starts at the first open channel: a closed channel 0 must
        // not become the choice and then be refused.
        int choice = -1;
        for (int c = 0; c < SndMixChannelCount; ++c) {
            if (!s->ChannelOpen[c])
                continue;
            if (choice < 0)
                choice = c;
            if (s->Queue[choice] == nullptr)
                break;
            if (s->Stamps[c] < s->Stamps[choice])
                choice = c;
        }
        record->Channel = choice;
    } else if (record->Channel < 0 || record->Channel >= SndMixChannelCount) {
        SndMixRaise("Invalid channel number");
    }
    const int channel = record->Channel;
    s->Stamps[channel] = ++s->PlayCounter;
    if (!s->ChannelOpen[channel])
        SndMixRaise("The specified channel was not open");
    TPlayNode* node = SndMixTakeNode();
    node->Play = *record;
    node->Wave = record->Wave;
    node->Length = record->Wave->Length();
    node->Data = record->Wave->Data.data();
    node->Last = node->Length > 0 ? node->Data + node->Length - 1 : node->Data;
    AppendPending(s, node);
    if (record->Flags & smpWait)
        return;

    bool idle = !AnyWritten();
    for (int c = 0; c < SndMixChannelCount && idle; ++c)
        if (s->ChannelOpen[c] && s->Queue[c] != nullptr)
            idle = false;
    if (idle)
        SndMixSyncClock(s, 0);
    const int64_t g = SndMixGetPosition(s);

    bool remix = false;
    TPlayNode* last = nullptr;
    while (TPlayNode* n = TakePending(s)) {
        const int c = n->Play.Channel;
        const bool now = (n->Play.Flags & smpStartNow) != 0;
        if (n->Play.Flags & smpClearChannel) {
            SndMixReturnQueue(s->Queue[c]);
            s->Queue[c] = n;
            remix = remix || AnyWritten();
            n->Start = now ? g : s->MixPosition;
        } else {
            TPlayNode* prev = s->Queue[c];
            while (prev != nullptr && prev->Next != nullptr)
                prev = prev->Next;
            if (prev != nullptr) {
                prev->Next = n;
                n->Start = now ? prev->End : std::max(prev->End, s->MixPosition);
            } else {
                s->Queue[c] = n;
                n->Start = now ? g : s->MixPosition;
            }
        }
        if (n->Start < s->MixPosition)
            remix = true;
        SetEnd(n);
        last = n;
    }

    if (remix) {
        s->Remix(s, last->Start, last);
        return;
    }
    TWaveOut& device = SndMixDevice();
    const bool pause = !AnyWritten();
    if (pause)
        device.Pause();
    SndMixFillAll(s);
    if (pause)
        device.Restart();
}

void SndMixFreeWave(HSNDMIX session, TWaveRecord* wave)
{
    TSndMixSession* s = SndMixCheckSession(session);
    if (wave == nullptr)
        SndMixRaise("The given pointer was not valid");
    for (int c = 0; c < SndMixChannelCount; ++c)
        if (s->ChannelOpen[c])
            PurgeWave(s->Queue[c], wave);
    // Plays still waiting for a partner would otherwise keep the freed wave.
    if (s->PendingTail != nullptr) {
        TPlayNode* head = s->PendingTail->Next;
        s->PendingTail->Next = nullptr;
        PurgeWave(head, wave);
        s->PendingTail = nullptr;
        while (head != nullptr) {
            TPlayNode* next = head->Next;
            AppendPending(s, head);
            head = next;
        }
    }
    // A notification of one of its plays still on its way is void now.
    std::erase_if(SndMixUnit().Notices, [wave](const TSndMixNotice& n) {
        if (n.Wave != wave)
            return n.Void.expired();
        if (const std::shared_ptr<bool> voided = n.Void.lock())
            *voided = true;
        return true;
    });
    delete wave;
}

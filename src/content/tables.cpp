// The built-in story: six monologues, nine lexicons and two option trees.
#include "content/content.h"

#include <boost/assign/list_of.hpp>

using boost::assign::list_of;

static const std::list<Conv> leaf; // no followups

static std::list<Lines> monologues()
{
    return list_of<Lines>
        (list_of<std::string>
            ("I remember the trees outside; how they swayed and shook as the ground trembled. ")
            ("The windows rattled in their frames for a long time. ")
            ("I held on to the door and waited for it to stop. ")
            ("When it was over, the street was full of dust. ")
            ("I looked everywhere for him, but he never came home. ")
            ("My poor dog, jeff. "))
        (list_of<std::string>
            ("the air outside is so cool today. ")
            ("it hasn't rained in so long. ")
            ("the lawn is going brown at the edges. ")
            ("i water it every evening, but it doesn't help. ")
            ("the grass just crumbles. ")
            ("the soil has cracked open by the fence. ")
            ("nothing green will grow there now. ")
            ("not until the rain begins to fall again. "))
        (list_of<std::string>
            ("i can still feel the warmth of the sun. ")
            ("it used to sit on my shoulders like a hand. ")
            ("now i keep to the shade. ")
            ("even the shade feels too bright some days. ")
            ("i draw the curtains before noon. ")
            ("that's why i stay indoors now. "))
        (list_of<std::string>
            ("i can't remember where i left my keys. ")
            ("i looked in the bowl by the door. ")
            ("they weren't in my coat pockets either. ")
            ("i checked under the cushions twice. ")
            ("did someone move them while i slept? ")
            ("I must have put them somewhere safe. ")
            ("i haven't driven in years. "))
        (list_of<std::string>
            ("i have to go to the shops later. ")
            ("we need bread and milk and batteries. ")
            ("the gas bill came again this morning. ")
            ("i'll pay it when the pension comes in. ")
            ("my sister keeps asking when i'll visit. ")
            ("the children never call on sundays. ")
            ("he sleeps in the spare room now. ")
            ("and leaves me alone. "))
        (list_of<std::string>
            ("it started snowing outside this morning. ")
            ("the street went white. ")
            ("there are little tracks across it. ")
            ("birds, i think, and something bigger. ")
            ("maybe a fox, or the neighbour's cat. ")
            ("they all led to the hedge. ")
            ("i wondered where they sleep at night. ")
            ("if they would survive 'til summer. "));
}

static std::list<Lines> lexicons()
{
    return list_of<Lines>
        (list_of<std::string>("fat")("man")("violent")("stranger")("menace"))
        (list_of<std::string>("violent")("husband")("man")("strike")("defenceless"))
        (list_of<std::string>("cooling")("sunlit")("honey")("gleam")("standing"))
        (list_of<std::string>("wretch")("shame")("dishonest")("lies")("deceit")("anger"))
        (list_of<std::string>("wealthy")("fame")("star")("power")("anger"))
        (list_of<std::string>("teamwork")("cooperation")("management")("strategy")
                             ("mentoring")("empowering"))
        (list_of<std::string>("heterocentric")("phallic")("labial")("oppression")
                             ("patriarchy")("discrimination"))
        (list_of<std::string>("body")("dirty")("rape")("other"))
        (list_of<std::string>("handsome")("lovely")("dashing")("love"));
}

// A room with a table and a window.
static std::list<Conv> studytree()
{
    return list_of<Conv>
        (Conv("look around ",
              "the room is large and spacious.  there is a table in the corner. ",
              list_of<Conv>
                  (Conv("examine table  ", "there are many books on it, and a letter. ",
                        list_of<Conv>
                            (Conv("look at books ",
                                  "dusty old volumes; they've not been read in years. ", leaf))
                            (Conv("open envelope ",
                                  "you break the seal, and pull out the paper inside. ",
                                  list_of<Conv>
                                      (Conv("read letter",
                                            "it's a thank you note, from your sister. ",
                                            leaf))))))))
        (Conv("go to window",
              "you walk to the window by the corner; the blinds are drawn. ",
              list_of<Conv>
                  (Conv("pull back curtains", "you pull the curtains back; it is dark outside. ",
                        list_of<Conv>
                            (Conv("close curtains ", "you close the curtains again. ", leaf))))));
}

// A bedroom with a diary in the locker.
static std::list<Conv> bedroomtree()
{
    return list_of<Conv>
        (Conv("look around ", "you find yourself in a bedroom. ",
              list_of<Conv>
                  (Conv("look at bed ", "the duvet is on the floor. ",
                        list_of<Conv>
                            (Conv("make the bed ",
                                  "you pull the sheets up, and put the duvet back over. ",
                                  list_of<Conv>
                                      (Conv("look at locker ",
                                            "there's a lamp on it, and it has a drawer. ",
                                            list_of<Conv>
                                                (Conv("open drawer ",
                                                      "there is a diary in the drawer. ",
                                                      list_of<Conv>
                                                          (Conv("read the diary",
                                                                "you've never read someone's "
                                                                "diary before; you hesitate. ",
                                                                list_of<Conv>
                                                                    (Conv("read the diary ",
                                                                          "you open the book, and "
                                                                          "begin to read. ",
                                                                          leaf))))))))))))
                  (Conv("leave", "you...you don't feel inclined to leave. ", leaf))));
}

void insertbasicdata()
{
    weatherdescriptions = monologues();
    traumadescriptions = lexicons();
    conversationtree = list_of<std::list<Conv>>(studytree())(bedroomtree());
}
